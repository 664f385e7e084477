// render_icons: renders the desktop icon from its SVG source into the PNG
// sizes of the icon theme.
//
//   render_icons <icon.svg> <out-dir> <icon-name> <size>...
//
// Each size N is written as <out-dir>/NxN/apps/<icon-name>.png, the layout of
// the hicolor theme's folders, so the tree can be installed as it is. The
// source must be square; it is drawn over the whole image with antialiasing
// on a transparent ground, keeping its soft edges (unlike the game's own
// 32 x 32 window icon, whose mask is 1-bit).

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

constexpr int kMinSize = 8;
constexpr int kMaxSize = 1024;

void fail(const QString& message)
{
    std::fprintf(stderr, "render_icons: %s\n", qPrintable(message));
}

bool renderSize(QSvgRenderer& renderer, int size, const QDir& outDir, const QString& name)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }
    const QString folder = QStringLiteral("%1x%1/apps").arg(size);
    if (!outDir.mkpath(folder)) {
        fail(QStringLiteral("cannot create %1").arg(outDir.filePath(folder)));
        return false;
    }
    const QString out = outDir.filePath(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    if (!image.convertToFormat(QImage::Format_ARGB32).save(out, "PNG")) {
        fail(QStringLiteral("%1: cannot write").arg(out));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: render_icons <icon.svg> <out-dir> <icon-name> <size>...\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QDir outDir(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);

    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        fail(QStringLiteral("%1: not a valid SVG").arg(source));
        return 1;
    }
    const QRectF box = renderer.viewBoxF();
    if (box.isEmpty() || box.width() != box.height()) {
        fail(QStringLiteral("%1: the viewBox must be square").arg(source));
        return 1;
    }
    if (!outDir.exists() && !QDir().mkpath(outDir.path())) {
        fail(QStringLiteral("cannot create %1").arg(outDir.path()));
        return 1;
    }

    bool ok = true;
    for (int i = 4; i < argc; ++i) {
        bool isNumber = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
        if (!isNumber || size < kMinSize || size > kMaxSize) {
            fail(QStringLiteral("'%1' is not a size from %2 to %3").arg(QString::fromLocal8Bit(argv[i])).arg(kMinSize).arg(kMaxSize));
            ok = false;
            continue;
        }
        ok = renderSize(renderer, size, outDir, name) && ok;
    }
    return ok ? 0 : 1;
}
