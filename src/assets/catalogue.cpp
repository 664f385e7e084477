#include "assets/catalogue.h"

#include <QCache>
#include <QFile>
#include <QPixmap>
#include <QtGlobal>

#include <map>
#include <memory>

#include "assets/artwork.h"
#include "platform/controls.h"

namespace assets {

namespace {

std::set<int>& missingIds()
{
    static std::set<int> ids;
    return ids;
}

// A picture loaded here carries its id, so that a picture box on a screen
// that scales can have it drawn from its source.
const QString kPictureIdKey = QStringLiteral("pellaro-picture");

// The SVG that draws a picture, read from the resources once.
struct Source {
    QByteArray svg;
    QSize size;
    artwork::FlatEdges edges;
};

const Source* sourceOf(int id)
{
    static std::map<int, std::unique_ptr<Source>> sources;
    const auto known = sources.find(id);
    if (known != sources.end())
        return known->second.get();

    std::unique_ptr<Source>& source = sources[id];
    QStringList errors;
    const std::map<int, QString> fileOf = artwork::mapSources(QDir(QStringLiteral(":/art")), errors);
    const auto file = fileOf.find(id);
    const QSize size = artwork::pictureSize(id);
    if (file == fileOf.end() || !size.isValid())
        return nullptr;
    QFile in(file->second);
    if (!in.open(QIODevice::ReadOnly))
        return nullptr;
    QString error;
    const QByteArray svg = artwork::pictureSvg(id, in.readAll(), error);
    if (svg.isEmpty()) {
        qWarning("picture %d: %s", id, qPrintable(error));
        return nullptr;
    }
    source = std::make_unique<Source>(Source{svg, size, artwork::flatEdges(svg)});
    return source.get();
}

// The renderings made so far, by picture, ratio, device size and where the
// grid puts the flat areas' edges: all that decides the pixels. The cost is
// in KiB; 64 MiB holds every picture at a ratio of 3 several times over.
QCache<QByteArray, QImage>& renderings()
{
    static QCache<QByteArray, QImage> cache(64 * 1024);
    return cache;
}

QByteArray renderingKey(int id, const vb::DeviceGrid& grid, const Source& source)
{
    QByteArray key = QByteArray::number(id) + ' ' + QByteArray::number(grid.ratio, 'g', 17);
    const QSize device = grid.size(source.size);
    key += ' ' + QByteArray::number(device.width()) + 'x' + QByteArray::number(device.height());
    for (int x : source.edges.xs)
        key += " x" + QByteArray::number(grid.x(x));
    for (int y : source.edges.ys)
        key += " y" + QByteArray::number(grid.y(y));
    return key;
}

// What picture boxes call on a screen that scales.
QImage renderForBox(const QImage& picture, const vb::DeviceGrid& grid)
{
    bool tagged = false;
    const int id = picture.text(kPictureIdKey).toInt(&tagged);
    return tagged ? renderPicture(static_cast<std::int16_t>(id), grid) : QImage();
}

}  // namespace

QImage LoadResPicture(std::int16_t id)
{
    // Picture boxes learn here where sharper pictures come from.
    static const bool renderer = (vb::setPictureRenderer(&renderForBox), true);
    Q_UNUSED(renderer);

    if (missingIds().count(id))
        return {};
    QImage picture(QStringLiteral(":/pictures/%1.bmp").arg(id));
    if (!picture.isNull())
        picture.setText(kPictureIdKey, QString::number(id));
    return picture;
}

QImage renderPicture(std::int16_t id, const vb::DeviceGrid& grid)
{
    if (missingIds().count(id))
        return {};
    const Source* source = sourceOf(id);
    if (!source)
        return {};
    const QByteArray key = renderingKey(id, grid, *source);
    if (const QImage* kept = renderings().object(key))
        return *kept;
    QString error;
    const QImage picture = artwork::render(source->svg, source->size, grid, error);
    if (picture.isNull()) {
        qWarning("picture %d: %s", id, qPrintable(error));
        return {};
    }
    renderings().insert(key, new QImage(picture), qMax<qsizetype>(1, picture.sizeInBytes() / 1024));
    return picture;
}

QByteArray LoadResData(std::int16_t id, const char* type)
{
    if (missingIds().count(id) || QByteArray(type) != "WAV")
        return {};
    QFile file(QStringLiteral(":/sounds/%1.wav").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage programIcon()
{
    return QImage(QStringLiteral(":/pictures/icon.png"));
}

QIcon windowIcon()
{
    QIcon icon;
    const QImage small = programIcon();
    if (!small.isNull())
        icon.addPixmap(QPixmap::fromImage(small));
    for (const int side : {16, 22, 24, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/icons/%1x%1/apps/%2.png").arg(side).arg(QStringLiteral(PELLARO_APP_ID));
        if (QFile::exists(file))
            icon.addFile(file, QSize(side, side));
    }
    return icon;
}

void setMissingForTest(std::set<int> ids)
{
    missingIds() = std::move(ids);
}

}  // namespace assets
