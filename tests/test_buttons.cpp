// The start, help and level buttons, and the help window.
#include "gametest.h"

#include <csignal>

#include "platform/shutdown.h"

using namespace gametest;

namespace {

// Checks everything a start resets.
void verifyFreshGame(Form1& f)
{
    QCOMPARE(f.fcount, 0);
    QCOMPARE(f.LabFc->caption(), QStringLiteral("0"));
    QVERIFY(f.playing);
    QCOMPARE(f.tries, std::int16_t(3));
    for (int i = 0; i < 3; ++i)
        QVERIFY(f.Picball(i)->isVisible());
    QCOMPARE(f.amount, std::int16_t(0));
    QCOMPARE(f.priorTotal, std::int16_t(0));
    QCOMPARE(f.expectedTotal, std::int16_t(0));
    QCOMPARE(f.LabAll->caption(), QStringLiteral("0"));
    QVERIFY(showsPicture(f.Pic1, 300));
    QVERIFY(showsPicture(f.Pic2, 300));
    QVERIFY(f.PicLong->isVisible());
    QVERIFY(allPixels(f.PicLong, 1, 1, 6, 446, vb::QBColor(1)));
    QCOMPARE(f.timeUsed, std::int16_t(0));
    QCOMPARE(f.PicBoy->x(), -10);
    QVERIFY(f.PicBoy->isVisible());
    QVERIFY(f.startSound);
    QVERIFY(f.Timer1->enabled());
    QVERIFY(f.Timer2->enabled());
    QVERIFY(f.keyPreview->enabled());
}

}  // namespace

class TestButtons : public QObject {
    Q_OBJECT
private slots:
    void startSetsUpAGame()
    {
        Game g;
        Form1& f = *g.form;
        f.Pictb_Click();
        verifyFreshGame(f);
        // The bar's frame column and rows stay light yellow.
        QCOMPARE(pixel(f.PicLong, 0, 100), QColor(255, 255, 128));
        QCOMPARE(pixel(f.PicLong, 7, 100), QColor(255, 255, 128));
        QCOMPARE(pixel(f.PicLong, 3, 0), QColor(255, 255, 128));
        QCOMPARE(pixel(f.PicLong, 3, 447), QColor(255, 255, 128));
        g.stopTimers();
    }

    void startLeavesSomeThingsAlone()
    {
        Game g;
        Form1& f = *g.form;
        f.grade = 1;
        f.answerTicks = 77;
        f.Timer3->setEnabled(true);
        f.LabRes->setCaption(QStringLiteral("12"));
        f.Pictall->setVisible(true);
        f.PicBoy->move(f.PicBoy->x(), 230);
        f.PicBK->fillBox(233, 385, 291, 395, 12);
        f.Pictb_Click();
        verifyFreshGame(f);
        QCOMPARE(f.grade, std::int16_t(1));
        QCOMPARE(f.answerTicks, 77);
        QVERIFY(f.Timer3->enabled());
        QCOMPARE(f.LabRes->caption(), QStringLiteral("12"));
        QVERIFY(f.Pictall->isVisible());
        QCOMPARE(f.PicBoy->y(), 230);
        QVERIFY(allPixels(f.PicBK, 233, 385, 290, 394, vb::QBColor(12)));
        g.stopTimers();
    }

    void startDuringAGameRestartsIt()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(40, Game::unitsDraw(3));
        f.fcount = 700;
        f.tries = 1;
        f.Picball(1)->hide();
        f.Picball(2)->hide();
        for (int i = 0; i < 100; ++i)
            f.Timer2_Timer();
        QCOMPARE(pixel(f.PicLong, 3, 50), vb::QBColor(12));
        QTest::mouseClick(f.Pictb, Qt::LeftButton);
        verifyFreshGame(f);
        QCOMPARE(f.grade, std::int16_t(0));
        g.stopTimers();
    }

    void levelWithoutAGame()
    {
        Game g;
        Form1& f = *g.form;
        f.Pictl_Click();
        QCOMPARE(f.grade, std::int16_t(1));
        QVERIFY(showsPicture(f.Pictl, 206));
        QVERIFY(!f.playing);
        QVERIFY(!f.Timer1->enabled());
        QTest::mouseClick(f.Pictl, Qt::LeftButton);
        QCOMPARE(f.grade, std::int16_t(0));
        QVERIFY(showsPicture(f.Pictl, 205));
        QVERIFY(!f.playing);
        QVERIFY(!f.Timer1->enabled() && !f.Timer2->enabled());
        QVERIFY(f.PicBoy->isHidden());
    }

    void levelDuringAGameRestartsAtTheNewLevel()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(12, Game::unitsDraw(5));
        f.fcount = 300;
        f.Pictl_Click();
        QCOMPARE(f.grade, std::int16_t(1));
        verifyFreshGame(f);
        g.stopTimers();
    }

    void helpStopsTheGameAndOpensTheWindow()
    {
        Game g;
        Form1& f = *g.form;
        f.Pictb_Click();
        f.Timer3->setEnabled(true);
        QTest::mouseClick(f.Picth, Qt::LeftButton);
        QVERIFY(!f.isEnabled());
        QVERIFY(!f.Timer1->enabled() && !f.Timer2->enabled() && !f.Timer3->enabled());
        QVERIFY(!f.playing);
        Form3* help = f.form3();
        QVERIFY(help->isOpen());
        QWidget* w = help->window();
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("帮助"));
        QCOMPARE(w->pos(), QPoint(147, 133));  // 2200 and 2000 twips
        QVERIFY(!w->parentWidget());
        QVERIFY(!w->isModal());

        // Keys reach nothing while help is open.
        g.key('0');
        QVERIFY(f.LabRes->caption().isEmpty());

        w->close();
        QVERIFY(!help->isOpen());
        QVERIFY(f.isEnabled());
        QVERIFY(!f.playing);
        QVERIFY(!f.Timer1->enabled() && !f.Timer2->enabled());
        // Keys are still ignored until a start.
        SoundLog sounds;
        QTest::keyClick(f.windowHandle(), Qt::Key_3);
        QVERIFY(f.LabRes->caption().isEmpty());
        QVERIFY(sounds.ids.empty());
    }

    void helpTextAndPlace()
    {
        Game g;
        Form1& f = *g.form;
        f.Picth_Click();
        Form3* help = f.form3();
        const QString text = help->Label1->caption();
        QCOMPARE(text, QStringLiteral("游戏目的：帮助儿童提高口算能力。\n\n"
                                      "游戏方法：小羊推着小车来送货了，它送了多少"
                                      "要到秤上秤一下，小羊一共送了多少货就需要你来算一下了。"
                                      "算好了在键盘上打出来，算对了，总数就会写在小木牌上，小羊再接着送。"));
        QVERIFY(help->Label1->wordWrap());
        // The paragraph is wider than the label, so it wraps inside it.
        const QFontMetrics m(help->Label1->font());
        QVERIFY(m.horizontalAdvance(text.section(QLatin1Char('\n'), 2)) > help->Label1->width());
        QVERIFY(help->Label1->heightForWidth(help->Label1->width()) <= help->Label1->height());

        // Moved away and closed, it opens at its place again.
        help->window()->move(500, 400);
        help->Close();
        QVERIFY(f.isEnabled());
        f.Picth_Click();
        QCOMPARE(help->window()->pos(), QPoint(147, 133));
        help->Close();
        QVERIFY(f.isEnabled());
    }

    void closingTheGameWhileHelpIsOpen()
    {
        // Help disables the main window, close box included; once help is
        // closed, the main window closes again.
        Game g;
        Form1& f = *g.form;
        f.Picth_Click();
        QVERIFY(!f.close());
        QVERIFY(f.isVisible());
        QVERIFY(f.form3()->isOpen());
        f.form3()->Close();
        QVERIFY(f.close());
        QVERIFY(!f.isVisible());
    }

    void aTerminationSignalClosesEveryWindow()
    {
        // Even with help open (the main window disabled), SIGTERM closes the
        // help window and the main window.
        Game g;
        Form1& f = *g.form;
        bool ended = false;
        platform::onEndRequest(&f, [&] {
            f.closeAllWindows();
            ended = true;
        });
        f.Picth_Click();
        std::raise(SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(ended, 10000);
        QVERIFY(!f.form3()->isOpen());
        QVERIFY(!f.isVisible());
    }

    void realClickOnStartAfterHelp()
    {
        Game g;
        Form1& f = *g.form;
        f.Picth_Click();
        f.form3()->Close();
        QTest::mouseClick(f.Pictb, Qt::LeftButton);
        QVERIFY(f.playing);
        QVERIFY(f.Timer1->enabled());
        g.stopTimers();
    }
};

QTEST_MAIN(TestButtons)
#include "test_buttons.moc"
