// Answering: right and wrong entries, the score, the heap, the time bar and
// the end of a game.
#include "gametest.h"

using namespace gametest;

namespace {

// A hop cut short leaves the lamb on the ground at `left` (where the
// interrupting handler left it) and the scale at rest, as a finished hop
// does, with the answer clock stopped.
void verifyHopCutShort(Form1& f, int left)
{
    QCOMPARE(f.PicBoy->pos(), QPoint(left, 248));
    QVERIFY(showsPicture(f.Pic1, 300));
    QVERIFY(showsPicture(f.Pic2, 300));
    QVERIFY(allPixels(f.PicBK, 233, 385, 290, 394, vb::QBColor(1)));
    QVERIFY(!f.Timer3->enabled());
    QVERIFY(f.LabRes->caption().isEmpty());
}

}  // namespace

class TestPlay : public QObject {
    Q_OBJECT
private slots:
    void rightAnswerInOrder()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(8, Game::unitsDraw(7));
        QCOMPARE(f.expectedTotal, std::int16_t(15));
        f.answerTicks = 30;
        SoundLog sounds;
        QString signWhenSoundStarted;
        sounds.onSound = [&](int) { signWhenSoundStarted = f.LabAll->caption(); };

        g.key('1');
        QCOMPARE(f.LabRes->caption(), QStringLiteral("1"));
        QVERIFY(sounds.ids.empty());
        QCOMPARE(f.tries, std::int16_t(3));

        g.key('5');
        QCOMPARE(sounds.ids, std::vector<int>{102});
        QCOMPARE(signWhenSoundStarted, QStringLiteral("8"));  // the sound comes first
        QCOMPARE(f.LabAll->caption(), QStringLiteral("15"));
        QCOMPARE(f.priorTotal, std::int16_t(15));
        QCOMPARE(f.expectedTotal, std::int16_t(0));
        QVERIFY(f.Pictall->isVisible());
        QVERIFY(showsPicture(f.Pictall, 111));
        QCOMPARE(f.PicBoy->pos(), QPoint(-10, 248));
        QVERIFY(showsPicture(f.Pic1, 300));
        QVERIFY(showsPicture(f.Pic2, 300));
        QVERIFY(allPixels(f.PicBK, 233, 385, 290, 394, vb::QBColor(1)));
        QVERIFY(f.startSound);
        QVERIFY(f.Timer1->enabled());
        QVERIFY(f.LabRes->caption().isEmpty());
        QCOMPARE(f.fcount, 700);
        QCOMPARE(f.LabFc->caption(), QStringLiteral("700"));
        QCOMPARE(f.answerTicks, 1);
        QVERIFY(!f.Timer3->enabled());
        f.Timer1->setEnabled(false);
    }

    void wrongEntriesCostTriesThenEndTheGame()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(8, Game::unitsDraw(7));
        f.Timer3->setEnabled(true);
        SoundLog sounds;
        bool markerHiddenBeforeSound = false;
        sounds.onSound = [&](int id) {
            if (id == 101)
                markerHiddenBeforeSound = f.LabRes->caption().isEmpty() && f.Picball(f.tries)->isHidden();
        };

        g.type(QStringLiteral("12"));  // "1" begins 15, "12" does not
        QVERIFY(f.LabRes->caption().isEmpty());
        QCOMPARE(f.tries, std::int16_t(2));
        QVERIFY(f.Picball(2)->isHidden());
        QVERIFY(f.Picball(1)->isVisible());
        QCOMPARE(sounds.ids, std::vector<int>{101});
        QVERIFY(markerHiddenBeforeSound);
        // The turn goes on: same answer, the clock still counts.
        QCOMPARE(f.expectedTotal, std::int16_t(15));
        QVERIFY(f.Timer3->enabled());
        QVERIFY(f.playing);

        g.key('0');  // a leading 0 is always wrong
        QCOMPARE(f.tries, std::int16_t(1));
        QVERIFY(f.Picball(1)->isHidden());

        f.fcount = 1234;
        g.key('9');
        QCOMPARE(f.tries, std::int16_t(0));
        QVERIFY(f.Picball(0)->isHidden());
        QCOMPARE(sounds.count(101), 3);
        // The game is over and the leaderboard of the level is open.
        QVERIFY(!f.playing);
        QVERIFY(f.PicBoy->isHidden());
        QVERIFY(f.form2()->isOpen());
        QCOMPARE(f.form2()->grd, std::int16_t(0));
        QCOMPARE(f.form2()->fcount, 1234);
        QVERIFY(!f.isEnabled());
        // First game at this level: the fanfare after the last buzz.
        QCOMPARE(sounds.ids.back(), 105);
        // Keys are ignored now.
        g.key('1');
        QCOMPARE(f.tries, std::int16_t(0));
        f.form2()->Close();
        QVERIFY(f.isEnabled());
    }

    void scoreByAnswerTime_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("points");
        QTest::newRow("t=0") << 0 << 1000;
        QTest::newRow("t=1") << 1 << 990;
        QTest::newRow("t=50") << 50 << 500;
        QTest::newRow("t=98") << 98 << 20;
        QTest::newRow("t=99") << 99 << 10;
        QTest::newRow("t=100") << 100 << 20;
        QTest::newRow("t=250") << 250 << 20;
    }
    void scoreByAnswerTime()
    {
        QFETCH(int, ticks);
        QFETCH(int, points);
        Game g;
        Form1& f = *g.form;
        g.startStill();
        f.fcount = 5000;
        g.arrive(20, Game::unitsDraw(3));
        f.answerTicks = ticks;
        g.type(QStringLiteral("23"));
        QCOMPARE(f.fcount, 5000 + points);
        QCOMPARE(f.answerTicks, 1);
        f.Timer1->setEnabled(false);
    }

    void everyArrivalStartsTheClockAtZero()
    {
        // The clock ticks on after a delivery; the next arrival starts it
        // afresh, so an answer at once earns the full 1000 points each time.
        Game g;
        Form1& f = *g.form;
        g.startStill();
        for (int delivery = 1; delivery <= 3; ++delivery) {
            g.arrive(10 * delivery, Game::unitsDraw(5));
            g.type(QString::number(10 * delivery + 5));
            QCOMPARE(f.fcount, 1000 * delivery);
            f.answerTicks = 60;  // as if the clock had run on meanwhile
        }
        f.Timer1->setEnabled(false);
    }

    void scoresPastSixteenBits()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        f.fcount = 32000;
        g.arrive(1, Game::unitsDraw(1));
        f.answerTicks = 0;
        g.key('2');
        QCOMPARE(f.fcount, 33000);
        QCOMPARE(f.LabFc->caption(), QStringLiteral("33000"));
        f.Timer1->setEnabled(false);
    }

    void theHeapGrows()
    {
        // Each total after the previous one's picture, so that a total that
        // fell outside every band would keep the wrong picture.
        struct Step {
            int sign, amount, picture;
        };
        const Step steps[] = {{48, 4, 112}, {97, 3, 113}, {120, 9, 113},
                              {96, 3, 112}, {46, 3, 111}, {47, 3, 112}};
        Game g;
        Form1& f = *g.form;
        g.startStill();
        for (const Step& step : steps) {
            g.arrive(step.sign, Game::unitsDraw(step.amount));
            g.type(QString::number(step.sign + step.amount));
            QCOMPARE(f.LabAll->caption(), QString::number(step.sign + step.amount));
            QVERIFY2(showsPicture(f.Pictall, step.picture), qPrintable(f.LabAll->caption()));
        }
        f.Timer1->setEnabled(false);
    }

    void aDigitWhileTheLambWalks()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        f.Pictall->hide();
        SoundLog sounds;
        g.key('0');  // judged against "0": a right answer of total 0
        QCOMPARE(sounds.ids, std::vector<int>{102});
        QCOMPARE(f.LabAll->caption(), QStringLiteral("0"));
        QVERIFY(f.Pictall->isHidden());
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.tries, std::int16_t(3));
        g.key('3');
        QCOMPARE(f.tries, std::int16_t(2));
        f.Timer1->setEnabled(false);
    }

    void keysFromTheKeyboard()
    {
        Game g;
        Form1& f = *g.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        g.startStill();
        g.arrive(30, Game::unitsDraw(7));
        SoundLog sounds;
        QWindow* w = f.windowHandle();
        // Keys that are not digits cost nothing.
        for (Qt::Key k : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_A, Qt::Key_Space, Qt::Key_Shift,
                          Qt::Key_Minus, Qt::Key_F1})
            QTest::keyClick(w, k);
        QCOMPARE(f.tries, std::int16_t(3));
        QVERIFY(sounds.ids.empty());
        QVERIFY(f.LabRes->caption().isEmpty());
        // A keypad digit and a main-row digit with Shift held both count.
        QTest::keyClick(w, Qt::Key_3, Qt::KeypadModifier);
        QCOMPARE(f.LabRes->caption(), QStringLiteral("3"));
        QTest::keyClick(w, Qt::Key_7, Qt::ShiftModifier);
        QCOMPARE(f.LabAll->caption(), QStringLiteral("37"));
        QCOMPARE(sounds.ids, std::vector<int>{102});
        // Every digit of either row is read as itself: each key begins an
        // answer that starts with its digit (10 for the 0).
        f.Timer1->setEnabled(false);
        for (Qt::KeyboardModifier row : {Qt::KeypadModifier, Qt::NoModifier}) {
            for (int digit = 0; digit <= 9; ++digit) {
                f.LabRes->setCaption(digit == 0 ? QStringLiteral("1") : QString());
                f.expectedTotal = static_cast<std::int16_t>(digit == 0 ? 100 : digit * 100 + 99);
                QTest::keyClick(w, Qt::Key(Qt::Key_0 + digit), row);
                QCOMPARE(f.LabRes->caption(), QString::number(digit == 0 ? 10 : digit));
            }
        }
        QCOMPARE(f.tries, std::int16_t(3));
    }

    void theTimeBar()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        f.Timer2->setEnabled(true);
        for (int tick = 1; tick <= 447; ++tick)
            f.Timer2_Timer();
        QVERIFY(f.playing);
        QCOMPARE(f.timeUsed, std::int16_t(447));
        // Rows 1..447 red, the frame untouched.
        QVERIFY(allPixels(f.PicLong, 1, 1, 6, 447, vb::QBColor(12)));
        QCOMPARE(pixel(f.PicLong, 7, 447), QColor(255, 255, 128));
        QCOMPARE(pixel(f.PicLong, 3, 448), QColor(255, 255, 128));
        f.Timer2_Timer();  // the 448th tick ends the game
        QCOMPARE(f.timeUsed, std::int16_t(448));
        QVERIFY(!f.playing);
        QVERIFY(!f.Timer2->enabled());
        QVERIFY(f.form2()->isOpen());
        f.form2()->Close();
    }

    void endGameLeavesTheScreenAsItWas()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        f.grade = 1;
        g.arrive(40, {0.5, 0.25});
        f.Timer3->setEnabled(true);
        f.fcount = 880;
        f.LabFc->setCaption(QStringLiteral("880"));
        f.LabRes->setCaption(QStringLiteral("5"));
        f.timeUsed = 447;
        f.Timer2_Timer();
        QVERIFY(!f.playing);
        QVERIFY(f.PicBoy->isHidden());
        QVERIFY(showsPicture(f.Pic1, 300));
        QVERIFY(showsPicture(f.Pic2, 300));
        QCOMPARE(f.LabFc->caption(), QStringLiteral("880"));
        QCOMPARE(f.LabAll->caption(), QStringLiteral("40"));
        QCOMPARE(f.LabRes->caption(), QStringLiteral("5"));
        QVERIFY(f.Picball(2)->isVisible());
        QVERIFY(f.Timer3->enabled());  // the answer clock is left alone
        QCOMPARE(f.form2()->grd, std::int16_t(1));
        QCOMPARE(f.form2()->fcount, 880);
        f.form2()->Close();
        // A start keeps the digits typed before the end.
        f.Pictb_Click();
        QCOMPARE(f.LabRes->caption(), QStringLiteral("5"));
        g.stopTimers();
    }

    void aHopCutShortByTheEndBringsNoLoad()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(10, Game::unitsDraw(2));
        f.Timer3->setEnabled(true);
        f.tries = 1;
        f.fcount = 400;
        SoundLog sounds;
        // While the lamb hops, another digit is judged against 0 and is the
        // last wrong entry: the game ends in the middle of the hop.
        QTimer::singleShot(0, &f, [&g] { g.key('7'); });
        g.type(QStringLiteral("12"));
        QVERIFY(!f.playing);
        QVERIFY(f.form2()->isOpen());
        QCOMPARE(f.form2()->fcount, 400);
        QCOMPARE(f.fcount, 400);
        QVERIFY(!f.Timer1->enabled());
        QVERIFY(!f.startSound);
        verifyHopCutShort(f, 150);
        // Nothing sets off afterwards.
        QTest::qWait(400);
        QCOMPARE(sounds.count(103), 0);
        QCOMPARE(sounds.count(104), 0);
        QVERIFY(showsPicture(f.Pic1, 300));
        QVERIFY(showsPicture(f.Pic2, 300));
        f.form2()->Close();
    }

    void aHopCutShortByHelp()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        f.grade = 1;
        g.arrive(10, {0.5, 0.25});  // twelve: the tens digit shows too
        f.Timer3->setEnabled(true);
        f.fcount = 400;
        SoundLog sounds;
        QTimer::singleShot(0, &f, [&f] { f.Picth_Click(); });
        g.type(QStringLiteral("22"));
        QCOMPARE(f.fcount, 400);
        QCOMPARE(sounds.ids, std::vector<int>{102});
        QVERIFY(!f.Timer1->enabled());
        verifyHopCutShort(f, 150);
        f.form3()->Close();
    }

    void aHopCutShortByARestart()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(10, Game::unitsDraw(2));
        f.Timer3->setEnabled(true);
        f.fcount = 400;
        QTimer::singleShot(0, &f, [&f] { f.Pictb_Click(); });
        g.type(QStringLiteral("12"));
        // The new game starts clean: no points carried over, the lamb on the
        // ground at the start of the road, the scale at rest.
        QCOMPARE(f.fcount, 0);
        verifyHopCutShort(f, -10);
        QVERIFY(f.playing);
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.LabAll->caption(), QStringLiteral("0"));
        g.stopTimers();
    }
};

QTEST_MAIN(TestPlay)
#include "test_play.moc"
