// The main window on a screen that scales: two virtual screens, one at a
// device pixel ratio of 1 and one at 1.5 (its logical pixels fall on halves
// of device pixels). Moved there, every picture box remakes its canvas at
// the screen's resolution with the picture drawn from its source and the
// filled boxes on whole device pixels; moved back, it shows the bitmaps
// again. (How the window shows the canvases is tests/xvfb/sharp_pictures.sh's
// business.)
#include "gametest.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTemporaryFile>
#include <QWindow>

using namespace gametest;

namespace {

const QRgb kYellow = qRgb(255, 255, 128);
const QRgb kBlue = qRgb(0, 0, 128);
const QRgb kRed = qRgb(255, 0, 0);

int D(int v) { return vb::toDevicePixel(v, 1.5); }

// The runs of colours down column x of `img`: (first row past the run, colour).
std::vector<std::pair<int, QRgb>> runs(const QImage& img, int x)
{
    std::vector<std::pair<int, QRgb>> out;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb c = img.pixel(x, y) | 0xff000000u;
        if (out.empty() || out.back().second != c)
            out.push_back({y + 1, c});
        else
            out.back().first = y + 1;
    }
    return out;
}

// Puts the window on screen `index` and waits for its ratio to follow.
void moveToScreen(QWidget& window, int index, double ratio)
{
    const QRect screen = QGuiApplication::screens().at(index)->geometry();
    window.move(screen.topLeft() + QPoint(120, 67));
    QTRY_COMPARE(window.devicePixelRatioF(), ratio);
    QCoreApplication::processEvents();
}

}  // namespace

class TestScaledScreens : public QObject {
    Q_OBJECT
private slots:
    void canvasesFollowTheWindowToAnotherRatio()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        for (int tick = 0; tick < 5; ++tick)
            f.Timer2_Timer();
        moveToScreen(f, 1, 1.5);

        // The scene drawn from its source, the signal box on exactly the
        // device rows and columns of the brown-grey band it covers.
        QImage scene = assets::renderPicture(110, vb::DeviceGrid{1.5, {0, 0}});
        QCOMPARE(f.PicBK->canvas().size(), QSize(D(450), D(450)));
        QPainter(&scene).fillRect(QRect(QPoint(D(233), D(385)), QPoint(D(291) - 1, D(395) - 1)), kBlue);
        QVERIFY(f.PicBK->canvas() == scene.convertToFormat(f.PicBK->canvas().format()));

        // The time bar: five red rows, then blue, in light yellow, on whole
        // device rows from the bar's own corner.
        const QImage bar = f.PicLong->canvas();
        QCOMPARE(bar.size(), QSize(D(459) - D(450), D(450)));
        const std::vector<std::pair<int, QRgb>> want = {
            {D(1), kYellow | 0xff000000u}, {D(6), kRed | 0xff000000u},
            {D(447), kBlue | 0xff000000u}, {D(450), kYellow | 0xff000000u}};
        QVERIFY(runs(bar, D(454) - D(450)) == want);
        QCOMPARE(bar.pixel(D(451) - D(450) - 1, 100) | 0xff000000u, kYellow | 0xff000000u);
        QCOMPARE(bar.pixel(D(457) - D(450), 100) | 0xff000000u, kYellow | 0xff000000u);

        // Pictures whose corner falls on half a device pixel.
        QCOMPARE(f.Picball(1)->canvas(), assets::renderPicture(204, vb::DeviceGrid{1.5, {497, 8}}));
        QCOMPARE(f.Pic2->canvas(), assets::renderPicture(300, vb::DeviceGrid{1.5, {264, 399}}));
        QCOMPARE(f.PicBoy->canvas(), assets::renderPicture(101, vb::DeviceGrid{1.5, f.PicBoy->pos()}));

        // Filling on, at this ratio: the sixth row follows the fifth.
        f.Timer2_Timer();
        QCOMPARE(runs(f.PicLong->canvas(), 5).at(1).first, D(7));

        // Back on the plain screen: the bitmaps and the fills, pixel for pixel.
        moveToScreen(f, 0, 1.0);
        QCOMPARE(f.PicBK->canvas().size(), QSize(450, 450));
        QVERIFY(allPixels(f.PicBK, 233, 385, 290, 394, vb::QBColor(1)));
        QCOMPARE(pixel(f.PicBK, 232, 390), assets::LoadResPicture(110).pixelColor(232, 390));
        QVERIFY(allPixels(f.PicLong, 1, 1, 6, 6, vb::QBColor(12)));
        QVERIFY(allPixels(f.PicLong, 1, 7, 6, 446, vb::QBColor(1)));
        QCOMPARE(f.Pic2->canvas(), assets::LoadResPicture(300).convertToFormat(QImage::Format_RGB32));
    }
};

int main(int argc, char** argv)
{
    // Two side-by-side virtual screens: 96 dpi (ratio 1) and 144 dpi (1.5).
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    screens.write(R"({"screens": [
        {"name": "plain", "x": 0, "y": 0, "width": 1200, "height": 900, "logicalDpi": 96, "logicalBaseDpi": 96},
        {"name": "scaled", "x": 1200, "y": 0, "width": 1800, "height": 1350, "logicalDpi": 144,
         "logicalBaseDpi": 96}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    qunsetenv("QT_SCALE_FACTOR");
    QApplication app(argc, argv);
    TestScaledScreens test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_scaled_screens.moc"
