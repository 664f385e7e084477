#include "assets/catalogue.h"

#include <QPainter>
#include <QSvgRenderer>

#include <QCache>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtGlobal>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

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

// What start-up hands to a thread of its own (prepareStartupPictures): the
// pictures, and on a screen that scales their renderings, are made there
// while the window is being built and are then found made. Everything below
// that more than one thread touches is guarded by `mutex`; a picture or
// rendering that one thread is making, another waits for instead of making
// it again.
struct Shared {
    std::mutex mutex;
    std::condition_variable made;
    std::set<QByteArray> underWay;
    std::thread worker;

    ~Shared()
    {
        if (worker.joinable())
            worker.join();
    }
};

Shared& shared()
{
    static Shared s;
    return s;
}

// Runs `make` for `key` unless it is made or being made; waits for it when
// another thread is making it and `wait` is set. `have` tells (under the
// lock) whether it is made.
template <typename Have, typename Make>
void makeOnce(const QByteArray& key, bool wait, Have have, Make make)
{
    Shared& s = shared();
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
        if (have())
            return;
        if (!s.underWay.count(key))
            break;
        if (!wait)
            return;
        s.made.wait(lock);
    }
    s.underWay.insert(key);
    lock.unlock();
    make();
    lock.lock();
    s.underWay.erase(key);
    s.made.notify_all();
}

const Source* sourceOf(int id)
{
    Shared& s = shared();
    std::lock_guard<std::mutex> lock(s.mutex);
    static std::map<int, std::unique_ptr<Source>> sources;
    const auto known = sources.find(id);
    if (known != sources.end())
        return known->second.get();

    std::unique_ptr<Source>& source = sources[id];
    QStringList errors;
    static const std::map<int, QString> fileOf = artwork::mapSources(QDir(QStringLiteral(":/art")), errors);
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
// Guarded by shared().mutex.
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

// The pictures read from the resources, by id; guarded by shared().mutex.
// A picture never changes, so one read is kept for the rest of the run.
std::map<int, QImage>& loaded()
{
    static std::map<int, QImage> pictures;
    return pictures;
}

// Reads the bitmap the build made of a picture: uncompressed, 24 bits a
// pixel. Reading it through QImage would first look through every image
// plugin installed and load them all, holding a lock that the window's own
// start-up on the main thread then waits for; so the common case is read
// here, and anything else is left to QImage.
QImage readBitmap(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const auto u16 = [&](int at) { return quint32(bytes[at] | bytes[at + 1] << 8); };
    const auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    if (data.size() >= 54 && data.startsWith("BM") && u32(14) >= 40 && u16(26) == 1 && u16(28) == 24
        && u32(30) == 0) {
        const auto width = qint32(u32(18)), height = qint32(u32(22));
        const qint64 rows = height < 0 ? -qint64(height) : height;
        const qint64 stride = (qint64(width) * 3 + 3) & ~qint64(3);
        if (width > 0 && width <= 16384 && rows > 0 && rows <= 16384 && u32(10) + stride * rows <= data.size()) {
            QImage image(width, int(rows), QImage::Format_RGB32);
            for (int y = 0; y < rows; ++y) {
                // Bottom row first, unless the height is negative.
                const uchar* in = bytes + u32(10) + stride * (height > 0 ? rows - 1 - y : y);
                auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < width; ++x, in += 3)
                    out[x] = qRgb(in[2], in[1], in[0]);
            }
            return image;
        }
    }
    return QImage::fromData(data, "BMP");
}

QImage readPicture(std::int16_t id)
{
    const QByteArray key = "bmp " + QByteArray::number(id);
    makeOnce(key, true, [id] { return loaded().count(id) > 0; }, [id] {
        QImage picture = readBitmap(QStringLiteral(":/pictures/%1.bmp").arg(id));
        if (!picture.isNull())
            picture.setText(kPictureIdKey, QString::number(id));
        std::lock_guard<std::mutex> lock(shared().mutex);
        loaded()[id] = picture;
    });
    std::lock_guard<std::mutex> lock(shared().mutex);
    return loaded()[id];
}

// Makes the rendering of `id` for `grid` unless it is kept or (without
// `wait`) being made, and returns it (null when it is not made here).
QImage makeRendering(std::int16_t id, const vb::DeviceGrid& grid, bool wait)
{
    const Source* source = sourceOf(id);
    if (!source)
        return {};
    const QByteArray key = renderingKey(id, grid, *source);
    QImage result;
    const auto kept = [&] {
        const QImage* image = renderings().object(key);
        if (image)
            result = *image;
        return image != nullptr;
    };
    makeOnce(key, wait, kept, [&] {
        QString error;
        const QImage picture = artwork::render(source->svg, source->size, grid, error);
        if (picture.isNull()) {
            qWarning("picture %d: %s", id, qPrintable(error));
            return;
        }
        result = picture;
        std::lock_guard<std::mutex> lock(shared().mutex);
        renderings().insert(key, new QImage(picture), qMax<qsizetype>(1, picture.sizeInBytes() / 1024));
    });
    return result;
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
    return readPicture(id);
}

QImage renderPicture(std::int16_t id, const vb::DeviceGrid& grid)
{
    if (missingIds().count(id))
        return {};
    return makeRendering(id, grid, true);
}

void prepareStartupPictures(std::vector<StartupPicture> pictures)
{
    Shared& s = shared();
    if (pictures.empty() || s.worker.joinable())
        return;
    // Made in the order given, while the caller goes on; what the caller
    // reaches first it makes itself, so the two meet somewhere in the list.
    s.worker = std::thread([pictures = std::move(pictures)] {
        for (const StartupPicture& p : pictures) {
            readPicture(p.id);
            if (p.grid.ratio != 1.0)
                makeRendering(p.id, p.grid, false);
        }
    });
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
    // Named as a PNG, so that no other image plugin is loaded to look at it.
    QImageReader reader(QStringLiteral(":/pictures/icon.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
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


void drawDecoration(QPainter& painter, const QString& id, QPointF corner, double scale)
{
    static QSvgRenderer decorations(QStringLiteral(":/surround/surround.svg"));
    const QRectF bounds = decorations.boundsOnElement(id);
    if (!bounds.isEmpty())
        decorations.render(&painter, id, QRectF(corner, bounds.size() * scale));
}

}  // namespace assets
