// render_art: renders the game's pictures from their SVG sources.
//
//   render_art [--ratio R] <art-dir> <out-dir>
//
// Without --ratio it writes what the game embeds: every picture as an opaque
// 24-bit BMP of its exact size (<id>.bmp) and the window icon as a PNG whose
// alpha is a 1-bit mask. With --ratio R it writes every picture as the game
// draws it on a screen of device pixel ratio R (<id>.png), for a box whose
// top left corner lies on a whole device pixel; the tests and the screenshots
// compare the game's window with these.
//
// The naming of the SVG files, the digit template and the rendering itself
// are shared with the game (src/assets/artwork.h).

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "assets/artwork.h"

namespace {

constexpr int kIconSize = 32;

void fail(const QString& message)
{
    std::fprintf(stderr, "render_art: %s\n", qPrintable(message));
}

// What to render and where to.
struct Options {
    double ratio = 1.0;
    QDir artDir, outDir;
};

// Renders picture `picture` from `source` into `outDir`: at ratio 1 the BMP
// the game embeds, otherwise a PNG at that ratio.
bool renderPicture(const artwork::PictureSize& picture, const QString& source, const Options& options)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("%1: cannot read").arg(source));
        return false;
    }
    const QString what = QStringLiteral("%1 (picture %2)").arg(QFileInfo(source).fileName()).arg(picture.id);
    QString error;
    const QByteArray svg = artwork::pictureSvg(picture.id, file.readAll(), error);
    const QSize size(picture.width, picture.height);
    const QImage image = svg.isEmpty() ? QImage() : artwork::render(svg, size, {options.ratio, {}}, error);
    if (image.isNull()) {
        fail(QStringLiteral("%1: %2").arg(what, error));
        return false;
    }
    const bool bitmap = options.ratio == 1.0;
    const QString name = QStringLiteral("%1.%2").arg(picture.id).arg(bitmap ? "bmp" : "png");
    const QString out = options.outDir.filePath(name);
    const bool saved = bitmap ? image.convertToFormat(QImage::Format_RGB888).save(out, "BMP")
                              : image.save(out, "PNG");
    if (!saved) {
        fail(QStringLiteral("%1: cannot write").arg(out));
        return false;
    }
    return true;
}

// The icon keeps only fully opaque or fully transparent pixels, the way a
// 1-bit mask does: each pixel is opaque when it is at least half covered.
bool renderIcon(const Options& options)
{
    const QString source = options.artDir.filePath(QStringLiteral("icon.svg"));
    QSvgRenderer renderer(source);
    if (!renderer.isValid() || renderer.defaultSize() != QSize(kIconSize, kIconSize) ||
        renderer.viewBoxF() != QRectF(0, 0, kIconSize, kIconSize)) {
        fail(QStringLiteral("icon.svg: must be a valid SVG of %1 x %1 with a matching viewBox").arg(kIconSize));
        return false;
    }
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, kIconSize, kIconSize));
    painter.end();
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = qAlpha(row[x]) >= 128 ? (row[x] | 0xff000000u) : 0u;
    }
    const QString out = options.outDir.filePath(QStringLiteral("icon.png"));
    if (!image.save(out, "PNG")) {
        fail(QStringLiteral("%1: cannot write").arg(out));
        return false;
    }
    return true;
}

// Every picture the game loads, each from the one SVG that draws it.
bool renderPictures(const Options& options)
{
    QStringList errors;
    const std::map<int, QString> fileOf = artwork::mapSources(options.artDir, errors);
    bool ok = errors.isEmpty();
    for (const QString& e : errors)
        fail(e);
    for (const artwork::PictureSize& picture : artwork::pictures()) {
        const auto it = fileOf.find(picture.id);
        if (it == fileOf.end()) {
            fail(QStringLiteral("no SVG draws picture %1").arg(picture.id));
            ok = false;
            continue;
        }
        ok = renderPicture(picture, it->second, options) && ok;
    }
    for (const auto& [id, file] : fileOf) {
        if (!artwork::pictureSize(id).isValid()) {
            fail(QStringLiteral("%1 draws picture %2, which the game does not use").arg(file).arg(id));
            ok = false;
        }
    }
    return ok;
}

bool parseOptions(int argc, char** argv, Options& options)
{
    int at = 1;
    if (argc > at && std::strcmp(argv[at], "--ratio") == 0) {
        if (argc <= at + 1)
            return false;
        bool number = false;
        options.ratio = QString::fromLocal8Bit(argv[at + 1]).toDouble(&number);
        if (!number || options.ratio < 0.5 || options.ratio > 8.0) {
            fail(QStringLiteral("--ratio needs a number from 0.5 to 8"));
            return false;
        }
        at += 2;
    }
    if (argc - at != 2)
        return false;
    options.artDir = QDir(QString::fromLocal8Bit(argv[at]));
    options.outDir = QDir(QString::fromLocal8Bit(argv[at + 1]));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: render_art [--ratio R] <art-dir> <out-dir>\n");
        return 2;
    }
    if (!options.outDir.exists() && !QDir().mkpath(options.outDir.path())) {
        fail(QStringLiteral("cannot create %1").arg(options.outDir.path()));
        return 1;
    }

    bool ok = renderPictures(options);
    if (options.ratio == 1.0)
        ok = renderIcon(options) && ok;
    return ok ? 0 : 1;
}
