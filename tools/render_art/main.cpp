// render_art: renders the game's pictures from their SVG sources.
//
//   render_art <art-dir> <out-dir>
//
// Every picture id has one SVG file in <art-dir> whose name starts with the id
// ("101-lamb-walk-a.svg"). The ten digit pictures 300..309 share one template
// whose name starts with the id range ("300-309-digit.svg"); its seven segment
// shapes carry the ids "seg-a".."seg-g" and the tool colours the lit ones of
// each digit. The pictures are written as opaque 24-bit BMPs of their exact
// size, and the window icon as a PNG whose alpha is a 1-bit mask.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct PictureSize {
    int id;
    int width;
    int height;
};

// Every picture the game loads, with the size it is drawn at.
const PictureSize kPictures[] = {
    {101, 203, 137}, {102, 203, 137},                   // the lamb, two steps
    {110, 450, 450},                                    // the scene
    {111, 150, 98},  {112, 150, 98},  {113, 150, 98},   // the growing heaps
    {201, 50, 35},   {202, 50, 35},   {205, 50, 35},   {206, 50, 35},  // buttons
    {204, 16, 16},                                      // the ball
    {300, 30, 50},   {301, 30, 50},   {302, 30, 50},   {303, 30, 50},  // digits
    {304, 30, 50},   {305, 30, 50},   {306, 30, 50},   {307, 30, 50},
    {308, 30, 50},   {309, 30, 50},
};

constexpr int kFirstDigit = 300;
constexpr int kIconSize = 32;

// The seven-segment table: which segments light for each digit. Segments are
// named the usual way: a top, b upper right, c lower right, d bottom,
// e lower left, f upper left, g middle.
const char* const kLitSegments[10] = {
    "abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg",
};
const char* const kLitColour = "#ff0000";

void fail(const QString& message)
{
    std::fprintf(stderr, "render_art: %s\n", qPrintable(message));
}

// Maps each id to the SVG file that draws it. A file named "<id>-what.svg"
// draws one id, "<first>-<last>-what.svg" draws the ids first..last.
bool mapSources(const QDir& artDir, std::map<int, QString>& fileOf)
{
    static const QRegularExpression name(QStringLiteral("^(\\d{3})(?:-(\\d{3}))?-[a-z0-9-]+\\.svg$"));
    bool ok = true;
    const QStringList files = artDir.entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        if (file == QLatin1String("icon.svg"))
            continue;
        const QRegularExpressionMatch m = name.match(file);
        if (!m.hasMatch()) {
            fail(QStringLiteral("%1: the name does not start with a picture id").arg(file));
            ok = false;
            continue;
        }
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
        for (int id = first; id <= last; ++id) {
            auto [it, inserted] = fileOf.emplace(id, artDir.filePath(file));
            if (!inserted) {
                fail(QStringLiteral("picture %1 is drawn by both %2 and %3").arg(id).arg(it->second, file));
                ok = false;
            }
        }
    }
    return ok;
}

// Returns the template's text with the segments of `digit` filled with the
// lit colour; the other segments keep the template's own fill.
QByteArray lightSegments(const QByteArray& svg, int digit, QString& error)
{
    const QString lit = QString::fromLatin1(kLitSegments[digit]);
    QByteArray out;
    QXmlStreamReader in(svg);
    QXmlStreamWriter writer(&out);
    int segmentsSeen = 0;
    while (!in.atEnd()) {
        in.readNext();
        if (in.isStartElement()) {
            const QString id = in.attributes().value(QLatin1String("id")).toString();
            if (id.size() == 5 && id.startsWith(QLatin1String("seg-")) && id[4] >= QLatin1Char('a') &&
                id[4] <= QLatin1Char('g')) {
                ++segmentsSeen;
                if (lit.contains(id[4])) {
                    writer.writeStartElement(in.namespaceUri().toString(), in.name().toString());
                    for (const QXmlStreamAttribute& a : in.attributes()) {
                        if (a.qualifiedName() != QLatin1String("fill"))
                            writer.writeAttribute(a);
                    }
                    writer.writeAttribute(QStringLiteral("fill"), QString::fromLatin1(kLitColour));
                    continue;
                }
            }
        }
        writer.writeCurrentToken(in);
    }
    if (in.hasError()) {
        error = in.errorString();
        return {};
    }
    if (segmentsSeen != 7) {
        error = QStringLiteral("the template has %1 of the 7 segments seg-a..seg-g").arg(segmentsSeen);
        return {};
    }
    return out;
}

// Renders `svg` into an image of exactly width x height; the SVG must declare
// that size so that one SVG unit is one pixel and integer rectangles land on
// whole pixels.
bool render(QSvgRenderer& renderer, const QString& what, int width, int height, QImage& image)
{
    if (!renderer.isValid()) {
        fail(QStringLiteral("%1: not a valid SVG").arg(what));
        return false;
    }
    const QRectF box = renderer.viewBoxF();
    if (renderer.defaultSize() != QSize(width, height) || box != QRectF(0, 0, width, height)) {
        fail(QStringLiteral("%1: must be %2 x %3 with a matching viewBox").arg(what).arg(width).arg(height));
        return false;
    }
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, width, height));
    return true;
}

bool renderPicture(const PictureSize& picture, const QString& source, const QDir& outDir)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("%1: cannot read").arg(source));
        return false;
    }
    QByteArray svg = file.readAll();
    const QString what = QStringLiteral("%1 (picture %2)").arg(QFileInfo(source).fileName()).arg(picture.id);
    if (picture.id >= kFirstDigit && picture.id < kFirstDigit + 10) {
        QString error;
        svg = lightSegments(svg, picture.id - kFirstDigit, error);
        if (svg.isEmpty()) {
            fail(QStringLiteral("%1: %2").arg(what, error));
            return false;
        }
    }
    QSvgRenderer renderer(svg);
    // Opaque pictures start black so that any spot the SVG leaves uncovered
    // shows up in the tests instead of passing as a lucky background.
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    image.fill(Qt::black);
    if (!render(renderer, what, picture.width, picture.height, image))
        return false;
    const QString out = outDir.filePath(QStringLiteral("%1.bmp").arg(picture.id));
    if (!image.convertToFormat(QImage::Format_RGB888).save(out, "BMP")) {
        fail(QStringLiteral("%1: cannot write").arg(out));
        return false;
    }
    return true;
}

// The icon keeps only fully opaque or fully transparent pixels, the way a
// 1-bit mask does: each pixel is opaque when it is at least half covered.
bool renderIcon(const QDir& artDir, const QDir& outDir)
{
    const QString source = artDir.filePath(QStringLiteral("icon.svg"));
    QSvgRenderer renderer(source);
    QImage image(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!render(renderer, QStringLiteral("icon.svg"), kIconSize, kIconSize, image))
        return false;
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = qAlpha(row[x]) >= 128 ? (row[x] | 0xff000000u) : 0u;
    }
    const QString out = outDir.filePath(QStringLiteral("icon.png"));
    if (!image.save(out, "PNG")) {
        fail(QStringLiteral("%1: cannot write").arg(out));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_art <art-dir> <out-dir>\n");
        return 2;
    }
    const QDir artDir(QString::fromLocal8Bit(argv[1]));
    const QDir outDir(QString::fromLocal8Bit(argv[2]));
    if (!outDir.exists() && !QDir().mkpath(outDir.path())) {
        fail(QStringLiteral("cannot create %1").arg(outDir.path()));
        return 1;
    }

    std::map<int, QString> fileOf;
    bool ok = mapSources(artDir, fileOf);
    for (const PictureSize& picture : kPictures) {
        const auto it = fileOf.find(picture.id);
        if (it == fileOf.end()) {
            fail(QStringLiteral("no SVG draws picture %1").arg(picture.id));
            ok = false;
            continue;
        }
        ok = renderPicture(picture, it->second, outDir) && ok;
    }
    for (const auto& [id, file] : fileOf) {
        bool known = false;
        for (const PictureSize& picture : kPictures)
            known = known || picture.id == id;
        if (!known) {
            fail(QStringLiteral("%1 draws picture %2, which the game does not use").arg(file).arg(id));
            ok = false;
        }
    }
    ok = renderIcon(artDir, outDir) && ok;
    return ok ? 0 : 1;
}
