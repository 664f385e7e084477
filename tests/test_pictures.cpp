// The embedded pictures: their file format, their exact sizes, and the
// backgrounds that must match the scene pixel for pixel where the game places
// them, plus the digits of the scale and the window icon. Then the same
// pictures drawn from their SVG sources for screens that scale: their device
// sizes, their flat areas on whole device pixels wherever the game places
// them, and that they are the same pictures, only sharper.

#include "assets/catalogue.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <cstring>

namespace {

const QRgb kSky = qRgb(142, 207, 245);
const QRgb kGrass = qRgb(126, 199, 34);
const QRgb kBand = qRgb(118, 100, 86);
const QRgb kStrip = qRgb(0, 178, 236);
const QRgb kSignFace = qRgb(253, 246, 103);
const QRgb kNavy = qRgb(0, 1, 128);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kFace = qRgb(102, 102, 102);
const QRgb kFrameOuter = qRgb(63, 187, 239);
const QRgb kFrameInner = qRgb(255, 255, 255);

struct Size {
    int id, width, height;
};
const Size kSizes[] = {{101, 203, 137}, {102, 203, 137}, {110, 450, 450}, {111, 150, 98}, {112, 150, 98},
                       {113, 150, 98},  {201, 50, 35},   {202, 50, 35},   {204, 16, 16},  {205, 50, 35},
                       {206, 50, 35},   {300, 30, 50},   {301, 30, 50},   {302, 30, 50},  {303, 30, 50},
                       {304, 30, 50},   {305, 30, 50},   {306, 30, 50},   {307, 30, 50},  {308, 30, 50},
                       {309, 30, 50}};

// Inclusive rectangle of picture pixels.
struct Box {
    int left, top, right, bottom;
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

QImage picture(int id)
{
    return assets::LoadResPicture(static_cast<std::int16_t>(id)).convertToFormat(QImage::Format_RGB32);
}

QString where(int id, int x, int y, QRgb got)
{
    return QStringLiteral("picture %1 at (%2,%3) is (%4,%5,%6)")
        .arg(id).arg(x).arg(y).arg(qRed(got)).arg(qGreen(got)).arg(qBlue(got));
}

#define EXPECT_PIXEL(img, id, x, y, colour)                                                  \
    do {                                                                                     \
        const QRgb got_ = (img).pixel((x), (y)) & 0xffffffu;                                 \
        if (got_ != ((colour) & 0xffffffu))                                                  \
            QFAIL(qPrintable(where((id), (x), (y), got_)));                                  \
    } while (0)

// The scene's colour at row y where nothing is drawn on it.
QRgb sceneBackdrop(int y)
{
    return y < 225 ? kSky : y < 385 ? kGrass : y < 395 ? kBand : kStrip;
}

// The heap pictures' backdrop: the scene's sky above their row 73, grass below.
QRgb heapBackdrop(int y)
{
    return y < 73 ? kSky : kGrass;
}

// The blue of the buttons' signs, told apart from the navy around them.
bool isBlue(QRgb c) { return qBlue(c) > 170 && qBlue(c) > qRed(c) + 80 && qBlue(c) > qGreen(c) + 40; }

// How many separate runs of blue pixels row y crosses.
int blueRuns(const QImage& img, int y)
{
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < img.width(); ++x) {
        const bool blue = isBlue(img.pixel(x, y));
        runs += blue && !inside;
        inside = blue;
    }
    return runs;
}

// The ratios a desktop or --zoom may give, the awkward ones included.
const double kRatios[] = {1.1, 1.25, 1.3, 1.5, 1.75, 2.0, 2.5, 3.0};

// Picture `id` drawn for a box at `origin` (its place in the main window).
QImage rendered(int id, double ratio, QPoint origin = {})
{
    return assets::renderPicture(static_cast<std::int16_t>(id), vb::DeviceGrid{ratio, origin});
}

// Rows `from` to `to` (exclusive) of column x all have colour c.
bool columnIs(const QImage& img, int x, int from, int to, QRgb c)
{
    for (int y = from; y < to; ++y)
        if ((img.pixel(x, y) & 0xffffffu) != (c & 0xffffffu))
            return false;
    return true;
}

// Mean difference per colour channel between two images of one size.
double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

}  // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void everyPictureHasItsSize()
    {
        for (const Size& s : kSizes) {
            const QImage img = assets::LoadResPicture(static_cast<std::int16_t>(s.id));
            QVERIFY2(!img.isNull(), qPrintable(QString::number(s.id)));
            QCOMPARE(img.size(), QSize(s.width, s.height));
            QVERIFY2(!img.hasAlphaChannel(), qPrintable(QString::number(s.id)));
            // The game reads its bitmaps itself: pixel for pixel what the
            // toolkit reads, in the format a box's canvas takes as it is.
            QCOMPARE(img.format(), QImage::Format_RGB32);
            QCOMPARE(img, QImage(QStringLiteral(":/pictures/%1.bmp").arg(s.id)).convertToFormat(QImage::Format_RGB32));
        }
        for (int missing : {100, 103, 114, 200, 203, 207, 299, 310})
            QVERIFY(assets::LoadResPicture(static_cast<std::int16_t>(missing)).isNull());
    }

    void everyPictureIsAPlain24BitBitmap()
    {
        for (const Size& s : kSizes) {
            QFile file(QStringLiteral(":/pictures/%1.bmp").arg(s.id));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray b = file.readAll();
            const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(b.constData() + at); };
            const auto i32 = [&](int at) { return qFromLittleEndian<qint32>(b.constData() + at); };
            const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(b.constData() + at); };
            QVERIFY(b.size() > 54);
            QCOMPARE(b.left(2), QByteArray("BM"));
            QCOMPARE(u32(2), quint32(b.size()));
            QCOMPARE(u32(10), 54u);  // no palette, pixels right after the headers
            QCOMPARE(u32(14), 40u);  // the 40-byte information header
            QCOMPARE(i32(18), s.width);
            QCOMPARE(i32(22), s.height);  // positive: rows stored bottom-up
            QCOMPARE(u16(26), quint16(1));
            QCOMPARE(u16(28), quint16(24));
            QCOMPARE(u32(30), 0u);  // uncompressed
            const int stride = (s.width * 3 + 3) & ~3;
            QCOMPARE(b.size(), 54 + stride * s.height);
        }
    }

    void sceneBandsAreExact()
    {
        const QImage img = picture(110);
        // Where things are drawn on the scene: two clouds, the sign with its
        // post, and the flowers at the right of the meadow.
        const Box drawn[] = {{46, 28, 154, 96}, {309, 74, 396, 127}, {233, 158, 303, 206},
                             {252, 207, 290, 245}, {338, 256, 449, 384}};
        for (int y = 0; y < 450; ++y) {
            for (int x = 0; x < 450; ++x) {
                bool free = true;
                for (const Box& box : drawn)
                    free = free && !box.contains(x, y);
                if (free)
                    EXPECT_PIXEL(img, 110, x, y, sceneBackdrop(y));
            }
        }
        // The clouds are white at their middles; the flowers are there.
        EXPECT_PIXEL(img, 110, 100, 62, qRgb(255, 255, 255));
        EXPECT_PIXEL(img, 110, 350, 100, qRgb(255, 255, 255));
        int flowerPixels = 0;
        for (int y = 256; y <= 384; ++y)
            for (int x = 338; x < 450; ++x)
                flowerPixels += (img.pixel(x, y) & 0xffffffu) != (kGrass & 0xffffffu);
        QVERIFY(flowerPixels > 300);
    }

    void sceneIsBareWhereTheLambAndTheHeapStand()
    {
        const QImage img = picture(110);
        // The heap box (304,152) 150 x 98 as far as it lies in the scene.
        for (int y = 152; y <= 249; ++y)
            for (int x = 304; x < 450; ++x)
                EXPECT_PIXEL(img, 110, x, y, sceneBackdrop(y));
        // The lamb walks from -10 to 130 along rows 248..384, 203 wide.
        for (int y = 248; y <= 384; ++y)
            for (int x = 0; x <= 130 + 202; ++x)
                EXPECT_PIXEL(img, 110, x, y, kGrass);
    }

    void signFaceIsExactlyItsRectangle()
    {
        const QImage img = picture(110);
        for (int y = 175; y <= 202; ++y)
            for (int x = 238; x <= 299; ++x)
                EXPECT_PIXEL(img, 110, x, y, kSignFace);
        const QRgb yellow = kSignFace & 0xffffffu;
        for (int x = 237; x <= 300; ++x) {
            QVERIFY2((img.pixel(x, 174) & 0xffffffu) != yellow, qPrintable(QString::number(x)));
            QVERIFY2((img.pixel(x, 203) & 0xffffffu) != yellow, qPrintable(QString::number(x)));
        }
        for (int y = 174; y <= 203; ++y) {
            QVERIFY((img.pixel(237, y) & 0xffffffu) != yellow);
            QVERIFY((img.pixel(300, y) & 0xffffffu) != yellow);
        }
        // The post below the sign is brown: red over green over blue.
        const QRgb post = img.pixel(268, 225);
        QVERIFY(qRed(post) > qGreen(post) && qGreen(post) > qBlue(post) && qRed(post) < 200);
    }

    void heapsMeetTheHorizon()
    {
        int previousArea = 0;
        for (int id : {111, 112, 113}) {
            const QImage img = picture(id);
            // The edge columns, and the four columns past the scene's edge,
            // show nothing but the backdrop; so do the top and bottom rows.
            for (int x : {0, 146, 147, 148, 149})
                for (int y = 0; y < 98; ++y)
                    EXPECT_PIXEL(img, id, x, y, heapBackdrop(y));
            for (int x = 0; x < 150; ++x) {
                EXPECT_PIXEL(img, id, x, 0, kSky);
                EXPECT_PIXEL(img, id, x, 97, kGrass);
            }
            // Each heap is bigger than the one before.
            int area = 0;
            for (int y = 0; y < 98; ++y)
                for (int x = 0; x < 150; ++x)
                    area += (img.pixel(x, y) & 0xffffffu) != (heapBackdrop(y) & 0xffffffu);
            QVERIFY2(area > previousArea + 300, qPrintable(QStringLiteral("%1: %2").arg(id).arg(area)));
            previousArea = area;
        }
    }

    void lambFramesStandOnGrass()
    {
        const QImage a = picture(101);
        const QImage b = picture(102);
        for (const auto& [id, img] : {std::pair{101, a}, std::pair{102, b}}) {
            for (int x = 0; x < 203; ++x) {
                EXPECT_PIXEL(img, id, x, 0, kGrass);
                EXPECT_PIXEL(img, id, x, 135, kGrass);
                EXPECT_PIXEL(img, id, x, 136, kGrass);
            }
            for (int y = 0; y < 137; ++y) {
                EXPECT_PIXEL(img, id, 0, y, kGrass);
                EXPECT_PIXEL(img, id, 202, y, kGrass);
            }
            int wool = 0, tomato = 0;
            for (int y = 0; y < 137; ++y) {
                for (int x = 0; x < 203; ++x) {
                    const QRgb c = img.pixel(x, y);
                    wool += (c & 0xffffffu) == 0xffffffu;
                    tomato += qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80;
                }
            }
            QVERIFY2(wool > 1500, qPrintable(QString::number(wool)));
            QVERIFY2(tomato > 100, qPrintable(QString::number(tomato)));
        }
        // The two frames share the child's head and the load; they differ in
        // the legs and in the wheel.
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 203; ++x)
                QCOMPARE(a.pixel(x, y), b.pixel(x, y));
        const auto differing = [&](const Box& box) {
            int n = 0;
            for (int y = box.top; y <= box.bottom; ++y)
                for (int x = box.left; x <= box.right; ++x)
                    n += a.pixel(x, y) != b.pixel(x, y);
            return n;
        };
        QVERIFY(differing({15, 104, 80, 134}) > 200);   // legs
        QVERIFY(differing({152, 95, 188, 130}) > 100);  // wheel spokes
    }

    void buttonsAndBallOnNavy()
    {
        for (int id : {201, 202, 204, 205, 206}) {
            const QImage img = picture(id);
            const int w = img.width() - 1, h = img.height() - 1;
            for (int d = 0; d < 2; ++d) {
                EXPECT_PIXEL(img, id, d, 0, kNavy);
                EXPECT_PIXEL(img, id, 0, d, kNavy);
                EXPECT_PIXEL(img, id, w - d, 0, kNavy);
                EXPECT_PIXEL(img, id, w, d, kNavy);
                EXPECT_PIXEL(img, id, d, h, kNavy);
                EXPECT_PIXEL(img, id, 0, h - d, kNavy);
                EXPECT_PIXEL(img, id, w - d, h, kNavy);
                EXPECT_PIXEL(img, id, w, h - d, kNavy);
            }
        }
        // The buttons are pale green ovals with a blue sign in the middle:
        // one dot for level 0, two dots for level 1.
        for (int id : {201, 202, 205, 206}) {
            const QImage img = picture(id);
            const QRgb oval = img.pixel(7, 17);
            QVERIFY(qGreen(oval) > 180 && qGreen(oval) > qRed(oval) && qGreen(oval) > qBlue(oval));
            QVERIFY2(blueRuns(img, 17) + blueRuns(img, 11) > 0, qPrintable(QString::number(id)));
        }
        QCOMPARE(blueRuns(picture(205), 17), 1);
        QCOMPARE(blueRuns(picture(206), 17), 2);
        QVERIFY(picture(201) != picture(202));
        const QRgb ball = picture(204).pixel(9, 9);
        QVERIFY(qRed(ball) > 200 && qRed(ball) > qGreen(ball) + 60 && qBlue(ball) > qGreen(ball));
        for (int x = 0; x < 16; ++x)
            EXPECT_PIXEL(picture(204), 204, x, 0, kNavy);
    }

    void digitsShowTheirSegments()
    {
        // The segments of a seven-segment display, a top to g middle, and a
        // point well inside each of them.
        const char* const lit[10] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg",
                                     "acdfg",  "acdefg", "abc", "abcdefg", "abcdfg"};
        const QPoint centre[7] = {{15, 7}, {23, 16}, {23, 34}, {15, 43}, {7, 34}, {7, 16}, {15, 25}};
        for (int d = 0; d <= 9; ++d) {
            const int id = 300 + d;
            const QImage img = picture(id);
            QCOMPARE(img.size(), QSize(30, 50));
            for (int x = 0; x < 30; ++x) {
                EXPECT_PIXEL(img, id, x, 0, kFrameOuter);
                EXPECT_PIXEL(img, id, x, 49, kFrameOuter);
                if (x >= 1 && x <= 28) {
                    EXPECT_PIXEL(img, id, x, 1, kFrameInner);
                    EXPECT_PIXEL(img, id, x, 48, kFrameInner);
                }
            }
            for (int y = 1; y < 49; ++y) {
                EXPECT_PIXEL(img, id, 0, y, kFrameOuter);
                EXPECT_PIXEL(img, id, 29, y, kFrameOuter);
                EXPECT_PIXEL(img, id, 1, y, kFrameInner);
                EXPECT_PIXEL(img, id, 28, y, kFrameInner);
            }
            // The face: its corners and the two windows inside the 8.
            for (const QPoint p : {QPoint(2, 2), QPoint(27, 2), QPoint(2, 47), QPoint(27, 47), QPoint(15, 16),
                                   QPoint(15, 34)})
                EXPECT_PIXEL(img, id, p.x(), p.y(), kFace);
            for (int s = 0; s < 7; ++s) {
                const QRgb c = img.pixel(centre[s]);
                const bool on = std::strchr(lit[d], 'a' + s) != nullptr;
                if (on) {
                    EXPECT_PIXEL(img, id, centre[s].x(), centre[s].y(), kRed);
                } else {
                    QVERIFY2(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) <= 102,
                             qPrintable(where(id, centre[s].x(), centre[s].y(), c)));
                }
            }
        }
    }

    void iconHasAOneBitMask()
    {
        const QImage icon = assets::programIcon().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(32, 32));
        for (const QPoint p : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
            QCOMPARE(qAlpha(icon.pixel(p)), 0);
        int opaque = 0, lime = 0, magenta = 0, outline = 0, edge = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb c = icon.pixel(x, y);
                QVERIFY2(qAlpha(c) == 0 || qAlpha(c) == 255, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                if (qAlpha(c) == 0)
                    continue;
                ++opaque;
                lime += qGreen(c) > 180 && qRed(c) > 100 && qRed(c) < 200 && qBlue(c) < 80;
                magenta += qRed(c) > 200 && qBlue(c) > 180 && qGreen(c) < 80;
                // A pixel at the edge of the drawing belongs to the outline.
                const bool atEdge = x == 0 || y == 0 || x == 31 || y == 31 || qAlpha(icon.pixel(x - 1, y)) == 0 ||
                                    qAlpha(icon.pixel(x + 1, y)) == 0 || qAlpha(icon.pixel(x, y - 1)) == 0 ||
                                    qAlpha(icon.pixel(x, y + 1)) == 0;
                edge += atEdge;
                outline += atEdge && qMax(qRed(c), qMax(qGreen(c), qBlue(c))) < 110;
            }
        }
        QVERIFY(opaque > 300 && opaque < 900);
        QVERIFY2(lime > 150, qPrintable(QString::number(lime)));
        QVERIFY2(magenta > 40, qPrintable(QString::number(magenta)));
        QVERIFY2(outline * 10 >= edge * 9, qPrintable(QStringLiteral("%1 of %2").arg(outline).arg(edge)));
    }

    // ------------------------------------------------ screens that scale

    void drawnFromTheSourceAtEveryRatio()
    {
        for (const double ratio : {1.25, 1.5, 2.0, 3.0}) {
            for (const Size& s : kSizes) {
                const QString what = QStringLiteral("picture %1 at %2").arg(s.id).arg(ratio);
                const QImage img = rendered(s.id, ratio);
                const QSize device(vb::toDevicePixel(s.width, ratio), vb::toDevicePixel(s.height, ratio));
                QVERIFY2(img.size() == device, qPrintable(what));
                // The same picture in the same place, only finer: brought
                // back to its logical size it is the bitmap, give or take
                // the smoothing of its edges (more at fractional ratios,
                // where the digits' one-pixel frame lines become one or two).
                const QImage back = img.scaled(s.width, s.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                const double off = meanDifference(back, picture(s.id));
                QVERIFY2(off < (ratio == std::floor(ratio) ? 3.0 : 16.0), qPrintable(QStringLiteral("%1 is %2 off the bitmap").arg(what).arg(off)));
            }
        }
        // Not the bitmap blown up: at ratio 2 the oval's edge has shades of
        // its own within the 2 x 2 blocks that a doubled bitmap would repeat.
        const QImage button = rendered(201, 2.0);
        QVERIFY(button != picture(201).scaled(100, 70).convertToFormat(button.format()));
        int blocksWithShades = 0;
        for (int y = 0; y < 70; y += 2)
            for (int x = 0; x < 100; x += 2)
                blocksWithShades += button.pixel(x, y) != button.pixel(x + 1, y + 1);
        QVERIFY2(blocksWithShades > 150, qPrintable(QString::number(blocksWithShades)));
        // A picture the catalogue lacks, or one taken away, has no rendering.
        QVERIFY(rendered(103, 2.0).isNull());
        assets::setMissingForTest({110});
        QVERIFY(rendered(110, 2.0).isNull());
        assets::setMissingForTest({});
    }

    void flatAreasOnWholeDevicePixels()
    {
        for (const double r : kRatios) {
            const auto D = [r](int v) { return vb::toDevicePixel(v, r); };
            const QString at = QStringLiteral(" at ratio %1").arg(r);
            // The scene's bands and the sign's face.
            const QImage scene = rendered(110, r);
            QVERIFY2(columnIs(scene, 5, 0, D(225), kSky) && columnIs(scene, 5, D(225), D(385), kGrass) &&
                         columnIs(scene, 5, D(385), D(395), kBand) && columnIs(scene, 5, D(395), D(450), kStrip),
                     qPrintable("scene bands" + at));
            QVERIFY2(columnIs(scene, D(270), D(175), D(203), kSignFace), qPrintable("sign face" + at));
            QVERIFY2(!columnIs(scene, D(270), D(175) - 1, D(175), kSignFace), qPrintable("sign top" + at));
            QVERIFY2(!columnIs(scene, D(270), D(203), D(203) + 1, kSignFace), qPrintable("sign bottom" + at));

            // The heaps where the game puts them: their horizon on the scene's.
            for (int id : {111, 112, 113}) {
                const QImage heap = rendered(id, r, {304, 152});
                const int horizon = D(225) - D(152);
                QVERIFY2(columnIs(heap, 0, 0, horizon, kSky) && columnIs(heap, 0, horizon, heap.height(), kGrass),
                         qPrintable(QStringLiteral("heap %1").arg(id) + at));
            }
            // The lamb at each step of its walk ends on the last grass row.
            for (int left = -10; left <= 130; left += 10) {
                const QImage lamb = rendered(101 + (left + 10) / 10 % 2, r, {left, 248});
                QCOMPARE(lamb.height(), D(385) - D(248));
                for (int x = 0; x < lamb.width(); ++x)
                    QVERIFY2(lamb.pixel(x, lamb.height() - 1) == (kGrass | 0xff000000u), qPrintable("lamb" + at));
            }
            // The digits' frame: light blue outside, white inside, whole pixels.
            const QImage digit = rendered(308, r, {264, 399});
            const int inner = D(400) - D(399), face = D(401) - D(399);
            QVERIFY2(columnIs(digit, digit.width() / 2, 0, inner, kFrameOuter) &&
                         columnIs(digit, digit.width() / 2, inner, face, kFrameInner),
                     qPrintable("digit frame" + at));
        }
    }

    void digitsShowTheirSegmentsWhenScaled()
    {
        // At ratio 2 each segment's centre lands on twice its 1x place.
        const QImage one = rendered(301, 2.0), eight = rendered(308, 2.0);
        for (const QPoint c : {QPoint(23, 16), QPoint(23, 34)})  // b and c
            QCOMPARE(one.pixel(c * 2) & 0xffffffu, kRed & 0xffffffu);
        for (const QPoint c : {QPoint(15, 7), QPoint(15, 43), QPoint(7, 34), QPoint(7, 16), QPoint(15, 25)}) {
            QVERIFY(qRed(one.pixel(c * 2)) < 120);
            QCOMPARE(eight.pixel(c * 2) & 0xffffffu, kRed & 0xffffffu);
        }
    }

    void renderingsAreKept()
    {
        // The second request for the same picture and grid is the kept copy;
        // a grid that moves a flat edge gets a rendering of its own.
        QCOMPARE(rendered(110, 2.0).cacheKey(), rendered(110, 2.0).cacheKey());
        QCOMPARE(rendered(111, 1.5, {304, 152}).cacheKey(), rendered(111, 1.5, {304, 152}).cacheKey());
        QVERIFY(rendered(111, 1.5, {304, 152}).cacheKey() != rendered(111, 1.5, {304, 153}).cacheKey());
    }
};

QTEST_GUILESS_MAIN(TestPictures)
#include "test_pictures.moc"
