#include "assets/artwork.h"

#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <functional>

namespace artwork {

namespace {

// The seven-segment table: which segments light for each digit. Segments are
// named the usual way: a top, b upper right, c lower right, d bottom,
// e lower left, f upper left, g middle.
const char* const kLitSegments[10] = {
    "abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg",
};
const char* const kLitColour = "#ff0000";

// What an element inherits from its ancestors that matters here.
struct Context {
    bool crisp = false;        // shape-rendering="crispEdges"
    bool transformed = false;  // a transform applies
};

// Copies `svg`, letting `visit` change the attributes of each start element.
using Visitor = std::function<void(const QXmlStreamReader&, const Context&, QXmlStreamAttributes&)>;

QByteArray rewrite(const QByteArray& svg, const Visitor& visit, QString& error)
{
    QByteArray out;
    QXmlStreamReader in(svg);
    QXmlStreamWriter writer(&out);
    std::vector<Context> stack{Context{}};
    while (!in.atEnd()) {
        in.readNext();
        if (in.hasError())
            break;
        if (in.isStartElement()) {
            const QXmlStreamAttributes given = in.attributes();
            Context here = stack.back();
            const QStringView rendering = given.value(QLatin1String("shape-rendering"));
            here.crisp = here.crisp || rendering == QLatin1String("crispEdges");
            here.transformed = here.transformed || given.hasAttribute(QLatin1String("transform"));
            stack.push_back(here);
            QXmlStreamAttributes attributes = given;
            visit(in, here, attributes);
            // Written by hand rather than copied, so that the elements keep
            // their names and the default namespace instead of made-up prefixes.
            writer.writeStartElement(in.qualifiedName().toString());
            for (const QXmlStreamNamespaceDeclaration& ns : in.namespaceDeclarations()) {
                if (ns.prefix().isEmpty())
                    writer.writeDefaultNamespace(ns.namespaceUri().toString());
                else
                    writer.writeNamespace(ns.namespaceUri().toString(), ns.prefix().toString());
            }
            for (const QXmlStreamAttribute& a : attributes)
                writer.writeAttribute(a);
            continue;
        } else if (in.isEndElement()) {
            stack.pop_back();
        }
        writer.writeCurrentToken(in);
    }
    if (in.hasError()) {
        error = in.errorString();
        return {};
    }
    return out;
}

// A flat rectangle: a crispEdges rect drawn without a transform, on whole pixels.
bool flatRect(const QXmlStreamReader& in, const Context& context, QRect& box)
{
    if (in.name() != QLatin1String("rect") || !context.crisp || context.transformed)
        return false;
    const QXmlStreamAttributes a = in.attributes();
    const auto whole = [&](const char* name, int& v) {
        const QStringView text = a.value(QLatin1String(name));
        bool ok = true;
        v = text.isEmpty() ? 0 : text.toInt(&ok);
        return ok;
    };
    int x, y, w, h;
    if (!whole("x", x) || !whole("y", y) || !whole("width", w) || !whole("height", h))
        return false;
    box = QRect(x, y, w, h);
    return true;
}

QXmlStreamAttributes withValues(const QXmlStreamAttributes& attributes, const std::map<QString, double>& values)
{
    QXmlStreamAttributes out;
    for (const QXmlStreamAttribute& a : attributes) {
        if (!values.count(a.qualifiedName().toString()))
            out.append(a);
    }
    for (const auto& [name, v] : values)
        out.append(name, QString::number(v, 'g', 15));
    return out;
}

}  // namespace

const std::vector<PictureSize>& pictures()
{
    static const std::vector<PictureSize> all = {
        {101, 203, 137}, {102, 203, 137},                   // the lamb, two steps
        {110, 450, 450},                                    // the scene
        {111, 150, 98},  {112, 150, 98},  {113, 150, 98},   // the growing heaps
        {201, 50, 35},   {202, 50, 35},   {205, 50, 35},   {206, 50, 35},  // buttons
        {204, 16, 16},                                      // the ball
        {300, 30, 50},   {301, 30, 50},   {302, 30, 50},   {303, 30, 50},  // digits
        {304, 30, 50},   {305, 30, 50},   {306, 30, 50},   {307, 30, 50},
        {308, 30, 50},   {309, 30, 50},
    };
    return all;
}

QSize pictureSize(int id)
{
    for (const PictureSize& p : pictures())
        if (p.id == id)
            return {p.width, p.height};
    return {};
}

std::map<int, QString> mapSources(const QDir& artDir, QStringList& errors)
{
    static const QRegularExpression name(QStringLiteral("^(\\d{3})(?:-(\\d{3}))?-[a-z0-9-]+\\.svg$"));
    std::map<int, QString> fileOf;
    const QStringList files = artDir.entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        if (file == QLatin1String("icon.svg"))
            continue;
        const QRegularExpressionMatch m = name.match(file);
        if (!m.hasMatch()) {
            errors << QStringLiteral("%1: the name does not start with a picture id").arg(file);
            continue;
        }
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
        for (int id = first; id <= last; ++id) {
            auto [it, inserted] = fileOf.emplace(id, artDir.filePath(file));
            if (!inserted)
                errors << QStringLiteral("picture %1 is drawn by both %2 and %3").arg(id).arg(it->second, file);
        }
    }
    return fileOf;
}

QByteArray pictureSvg(int id, const QByteArray& source, QString& error)
{
    if (id < kFirstDigit || id >= kFirstDigit + 10)
        return source;
    // The template's segments keep their own (unlit) fill unless the digit
    // lights them.
    const QString lit = QString::fromLatin1(kLitSegments[id - kFirstDigit]);
    int segmentsSeen = 0;
    const QByteArray out = rewrite(
        source,
        [&](const QXmlStreamReader& in, const Context&, QXmlStreamAttributes& attributes) {
            const QString seg = in.attributes().value(QLatin1String("id")).toString();
            if (seg.size() != 5 || !seg.startsWith(QLatin1String("seg-")) || seg[4] < QLatin1Char('a') ||
                seg[4] > QLatin1Char('g'))
                return;
            ++segmentsSeen;
            if (!lit.contains(seg[4]))
                return;
            QXmlStreamAttributes coloured;
            for (const QXmlStreamAttribute& a : attributes)
                if (a.qualifiedName() != QLatin1String("fill"))
                    coloured.append(a);
            coloured.append(QStringLiteral("fill"), QString::fromLatin1(kLitColour));
            attributes = coloured;
        },
        error);
    if (out.isEmpty())
        return {};
    if (segmentsSeen != 7) {
        error = QStringLiteral("the template has %1 of the 7 segments seg-a..seg-g").arg(segmentsSeen);
        return {};
    }
    return out;
}

FlatEdges flatEdges(const QByteArray& svg)
{
    FlatEdges edges;
    QString error;
    rewrite(
        svg,
        [&](const QXmlStreamReader& in, const Context& context, QXmlStreamAttributes&) {
            QRect box;
            if (flatRect(in, context, box)) {
                edges.xs.insert(edges.xs.end(), {box.x(), box.x() + box.width()});
                edges.ys.insert(edges.ys.end(), {box.y(), box.y() + box.height()});
            }
        },
        error);
    for (std::vector<int>* v : {&edges.xs, &edges.ys}) {
        std::sort(v->begin(), v->end());
        v->erase(std::unique(v->begin(), v->end()), v->end());
    }
    return edges;
}

QImage render(const QByteArray& svg, QSize logical, const vb::DeviceGrid& grid, QString& error)
{
    const QSize device = grid.size(logical);
    QByteArray drawn = svg;
    if (grid.ratio != 1.0) {
        // Each flat rectangle is given the SVG coordinates that the scale from
        // logical to device size takes onto whole device pixels. The scale is
        // rarely exact in binary, and the rasteriser truncates: an edge that
        // falls a hair short of its pixel leaves the last row of the
        // rectangle a shade of the colour beneath. So every edge is aimed a
        // millionth of a pixel late: well above the rounding noise, well
        // below the 1/65536 of a pixel the rasteriser resolves.
        const double toSvgX = double(logical.width()) / device.width();
        const double toSvgY = double(logical.height()) / device.height();
        constexpr double kAim = 1e-6;
        drawn = rewrite(
            svg,
            [&](const QXmlStreamReader& in, const Context& context, QXmlStreamAttributes& attributes) {
                QRect b;
                if (!flatRect(in, context, b))
                    return;
                // An edge on the picture's border goes one pixel past it: the
                // image clips it, and the border pixels are covered in full
                // (the rasteriser can leave them a shade short otherwise).
                const auto pastBorder = [](int edge, int border) {
                    return edge <= 0 ? -1 : edge >= border ? border + 1 : edge;
                };
                const int left = pastBorder(grid.x(b.x()), device.width());
                const int right = pastBorder(grid.x(b.x() + b.width()), device.width());
                const int top = pastBorder(grid.y(b.y()), device.height());
                const int bottom = pastBorder(grid.y(b.y() + b.height()), device.height());
                attributes = withValues(attributes, {{QStringLiteral("x"), (left + kAim) * toSvgX},
                                                     {QStringLiteral("y"), (top + kAim) * toSvgY},
                                                     {QStringLiteral("width"), (right - left) * toSvgX},
                                                     {QStringLiteral("height"), (bottom - top) * toSvgY}});
            },
            error);
        if (drawn.isEmpty())
            return {};
    }
    QSvgRenderer renderer(drawn);
    if (!renderer.isValid()) {
        error = QStringLiteral("not a valid SVG");
        return {};
    }
    if (renderer.defaultSize() != logical || renderer.viewBoxF() != QRectF(QPointF(0, 0), QSizeF(logical))) {
        error = QStringLiteral("must be %1 x %2 with a matching viewBox")
                    .arg(logical.width())
                    .arg(logical.height());
        return {};
    }
    // Opaque pictures start black so that any spot the SVG leaves uncovered
    // shows up in the tests instead of passing as a lucky background.
    QImage image(device, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(device)));
    return image;
}

}  // namespace artwork
