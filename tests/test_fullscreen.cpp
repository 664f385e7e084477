// Full screen: the scale chosen for common screens, and the main window taken
// onto the stage and back with a game under way, its pictures drawn at the
// stage's scale and the windows it opens shown over it, carried along by F11
// and gone in good order however the program ends.
#include "gametest.h"

#include <QFile>
#include <QGraphicsProxyWidget>
#include <QPointer>
#include <QScreen>

#include "game/fullscreen.h"
#include "platform/stage.h"

using namespace gametest;

class TestFullScreen : public QObject {
    Q_OBJECT
private slots:
    void scaleFitsTheWholeWindow_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QRect>("game");
        // 561 x 449 pixels at the largest scale in tenths that fits: wider
        // screens are filled from top to bottom, a portrait one from side to
        // side, each but a few pixels.
        QTest::newRow("1024x768") << QSize(1024, 768) << 1.7 << QRect(35, 2, 954, 763);
        QTest::newRow("1366x768") << QSize(1366, 768) << 1.7 << QRect(206, 2, 954, 763);
        QTest::newRow("1920x1080") << QSize(1920, 1080) << 2.4 << QRect(287, 1, 1346, 1078);
        QTest::newRow("3840x2160") << QSize(3840, 2160) << 4.8 << QRect(573, 2, 2693, 2155);
        QTest::newRow("1080x1920 portrait") << QSize(1080, 1920) << 1.9 << QRect(7, 533, 1066, 853);
    }
    void scaleFitsTheWholeWindow()
    {
        QFETCH(QSize, screen);
        QFETCH(double, scale);
        QFETCH(QRect, game);
        const double s = vb::fitScale(screen, QSize(561, 449));
        QCOMPARE(s, scale);  // QCOMPARE of doubles allows for rounding
        QCOMPARE(vb::fittedRect(screen, QSize(561, 449), s), game);
    }

    void aGameGoesOnAndComesBack()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(12, Game::unitsDraw(7));
        g.type(QStringLiteral("1"));
        const QPoint place = f.pos();

        game::FullScreen full(&f);
        full.enter();
        QVERIFY(full.isOn());
        vb::Stage* stage = vb::Stage::of(&f);
        QVERIFY(stage);
        const QSize screen = f.screen()->geometry().size() * stage->devicePixelRatioF();
        QCOMPARE(stage->scale(), vb::fitScale(screen, f.size()));
        QVERIFY(stage->scale() > 1.0);
        // The picture boxes draw at the stage's resolution.
        QCOMPARE(vb::deviceRatio(f.PicBK), stage->scale());
        QTRY_VERIFY(f.PicBK->canvas().width() > 450);
        // Keys reach the game through the stage: "19" is the right total.
        QCOMPARE(vb::shownIn(&f), stage->windowHandle());
        QTest::keyClick(stage->windowHandle(), Qt::Key_9);
        QCOMPARE(f.LabAll->caption(), QStringLiteral("19"));
        QVERIFY(f.fcount > 0);

        // The help window opens over the game, on the stage.
        f.Picth_Click();
        QWidget* help = f.form3()->window();
        QVERIFY(help);
        QCOMPARE(vb::Stage::of(help), stage);
        QVERIFY(!f.isEnabled());

        full.toggle();
        QVERIFY(!full.isOn());
        QVERIFY(!f.graphicsProxyWidget() && !help->graphicsProxyWidget());
        QVERIFY(f.isVisible() && help->isVisible());
        QCOMPARE(f.pos(), place);
        QCOMPARE(vb::deviceRatio(f.PicBK), f.devicePixelRatioF());
        QCOMPARE(f.LabAll->caption(), QStringLiteral("19"));
        // Closing the help window still gives the main window back.
        f.form3()->Close();
        QVERIFY(f.isEnabled());
    }

    void secondaryWindowsGoAlongAndLeaveInOneWay_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("closedFirst");
        for (const char* window : {"help", "leaderboard with a place", "leaderboard without a place"}) {
            QTest::addRow("%s, then the program is ended", window) << QString::fromLatin1(window) << false;
            QTest::addRow("%s closed, then the main window", window) << QString::fromLatin1(window) << true;
        }
    }
    void secondaryWindowsGoAlongAndLeaveInOneWay()
    {
        // The window open over the game goes out of full screen and comes
        // back with the game, whichever native window gets F11 and however
        // often; then it leaves the stage whether it or the program ends
        // first. A fault here is a crash (caught by the sanitizer build).
        QFETCH(QString, window);
        QFETCH(bool, closedFirst);
        auto g = std::make_unique<Game>();
        Form1& f = *g->form;
        auto full = std::make_unique<game::FullScreen>(&f);
        full->enter();
        vb::Stage* stage = vb::Stage::of(&f);
        QVERIFY(stage);
        if (window == QLatin1String("help")) {
            f.Picth_Click();
        } else {
            if (window.endsWith(QLatin1String("without a place"))) {
                QFile board(g->boards.filePath(QStringLiteral("dreb0.tmp")));
                QVERIFY(board.open(QIODevice::WriteOnly));
                board.write(QByteArray("a,5000\r\n").repeated(10));
            }
            f.form2()->Show();
            QCOMPARE(f.form2()->iPlace >= 0, !window.endsWith(QLatin1String("without a place")));
        }
        QPointer<QWidget> open = window == QLatin1String("help") ? f.form3()->window() : f.form2()->window();
        QVERIFY(open && !f.isEnabled());

        for (int round = 0; round < 3; ++round) {
            // F11 at the stage, or at the main window's own native window,
            // hidden while the stage shows it.
            QTest::keyClick(round == 2 ? f.windowHandle() : stage->windowHandle(), Qt::Key_F11);
            QVERIFY(!full->isOn());
            QVERIFY(open->isVisible() && !open->graphicsProxyWidget());
            // Back from the secondary window's own native window, or the
            // main one's.
            QTest::keyClick(round == 1 ? f.windowHandle() : open->windowHandle(), Qt::Key_F11);
            QVERIFY(full->isOn());
            QCOMPARE(vb::Stage::of(open), stage);
            QVERIFY(open->isVisible() && !f.isEnabled());
        }

        if (closedFirst) {
            open->close();  // as its close button does
            // Closed but not yet deleted: it does not come back with F11.
            QTest::keyClick(stage->windowHandle(), Qt::Key_F11);
            QVERIFY(!full->isOn());
            QVERIFY(!open || !open->isVisible());
            QTRY_VERIFY(open.isNull());
            QVERIFY(f.isEnabled());
            QTest::keyClick(f.windowHandle(), Qt::Key_F11);
            QVERIFY(full->isOn());
            QVERIFY(f.close());
        } else {
            f.closeAllWindows();  // what logout and the end signals do
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // As the program ends: the switch goes first, then the main window.
        full.reset();
        g.reset();
        QVERIFY(open.isNull() || !open->isVisible());
    }

    void theScreenKeepsUpWithTheGame()
    {
        // The boxes on the stage paint only what no opaque box above them
        // covers. After each change, a repaint of the whole stage must leave
        // the image as a fresh drawing of the stage shows it: the lamb gone
        // from where it stood, the time bar's rows, the heap, the total.
        Game g;
        Form1& f = *g.form;
        game::FullScreen full(&f);
        full.enter();
        vb::Stage* stage = vb::Stage::of(&f);
        QVERIFY(stage);
        auto screenIsRight = [&] {
            QCoreApplication::processEvents();
            stage->viewport()->repaint();
            const QImage shown = stage->screen()->grabWindow(stage->winId()).toImage();
            const QImage drawn = stage->grab().toImage();
            return shown.convertToFormat(QImage::Format_RGB32) == drawn.convertToFormat(QImage::Format_RGB32);
        };
        g.startStill();
        QVERIFY(screenIsRight());
        for (int tick = 0; tick < 3; ++tick) {
            f.Timer1_Timer();
            f.Timer2_Timer();
            QVERIFY2(screenIsRight(), qPrintable(QStringLiteral("walk tick %1").arg(tick)));
        }
        g.arrive(12, Game::unitsDraw(7));
        QVERIFY(screenIsRight());
        g.type(QStringLiteral("19"));
        QCOMPARE(f.LabAll->caption(), QStringLiteral("19"));
        QVERIFY(screenIsRight());
        // A window over the game, and the game where it stood.
        f.Picth_Click();
        QVERIFY(screenIsRight());
        f.form3()->Close();
        QVERIFY(screenIsRight());
    }
};

QTEST_MAIN(TestFullScreen)
#include "test_fullscreen.moc"
