// The lamb's walk to the scale and what the scale shows when it arrives.
#include "gametest.h"

#include <QElapsedTimer>
#include <map>

using namespace gametest;

class TestDelivery : public QObject {
    Q_OBJECT
private slots:
    void sevenTicksToTheScale()
    {
        Game g;
        SoundLog sounds;
        Form1& f = *g.form;
        g.startStill();
        platform::setRandomSequence({0.45});
        const int lefts[7] = {10, 30, 50, 70, 90, 110, 130};
        for (int tick = 0; tick < 7; ++tick) {
            f.Timer1->setEnabled(true);
            f.Timer1_Timer();
            QCOMPARE(f.PicBoy->x(), lefts[tick]);
            if (tick < 6) {
                QVERIFY(showsPicture(f.PicBoy, 101));
                QVERIFY(f.Timer1->enabled());
                QVERIFY(!f.Timer3->enabled());
                QCOMPARE(f.expectedTotal, std::int16_t(0));
                QVERIFY(showsPicture(f.Pic2, 300));
            }
            f.Timer1->setEnabled(false);
        }
        // Arrival on the seventh tick.
        QVERIFY(showsPicture(f.PicBoy, 102));
        QVERIFY(f.Timer3->enabled());
        QCOMPARE(f.answerTicks, 0);
        QVERIFY(allPixels(f.PicBK, 233, 385, 290, 394, vb::QBColor(12)));
        QCOMPARE(f.amount, std::int16_t(4));
        QVERIFY(showsPicture(f.Pic2, 304));
        QVERIFY(showsPicture(f.Pic1, 300));
        QCOMPARE(f.expectedTotal, std::int16_t(4));
        // The start sound once on the first tick, the arrival sound once.
        QCOMPARE(sounds.ids, (std::vector<int>{103, 104}));
        QVERIFY(!f.startSound);
    }

    void oneHundredTwentyIsNotYetArrival()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        f.startSound = false;
        f.PicBoy->move(100, f.PicBoy->y());
        f.Timer1->setEnabled(true);
        f.Timer1_Timer();
        QCOMPARE(f.PicBoy->x(), 120);
        QVERIFY(f.Timer1->enabled());
        QVERIFY(!f.Timer3->enabled());
        f.Timer1_Timer();
        QCOMPARE(f.PicBoy->x(), 140);
        QVERIFY(!f.Timer1->enabled());
        QVERIFY(f.Timer3->enabled());
    }

    void theSignIsReadAtArrival()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(37, Game::unitsDraw(8));
        QCOMPARE(f.priorTotal, std::int16_t(37));
        QCOMPARE(f.amount, std::int16_t(8));
        QCOMPARE(f.expectedTotal, std::int16_t(45));
    }

    void gradeZeroRedrawsAZero()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        g.arrive(0, {0.0, 0.05, 0.61});
        QCOMPARE(f.amount, std::int16_t(6));
        QVERIFY(showsPicture(f.Pic1, 300));
        QVERIFY(showsPicture(f.Pic2, 306));
    }

    void gradeOneDrawsTensThenUnits()
    {
        Game g;
        Form1& f = *g.form;
        f.grade = 1;
        g.startStill();
        g.arrive(5, {0.99, 0.0});  // tens 2, units 0: twenty
        QCOMPARE(f.amount, std::int16_t(20));
        QVERIFY(showsPicture(f.Pic1, 302));
        QVERIFY(showsPicture(f.Pic2, 300));
        QCOMPARE(f.expectedTotal, std::int16_t(25));

        g.arrive(0, {0.2, 0.0, 0.0, 0.75});  // tens 0: units drawn until not 0
        QCOMPARE(f.amount, std::int16_t(7));
        QVERIFY(showsPicture(f.Pic1, 300));
        QVERIFY(showsPicture(f.Pic2, 307));
    }

    void distributionsOverEveryDraw()
    {
        // Every pair of draws, fed in turn: grade 1 gives each tens digit ten
        // times, 10 and 20 appear, 0 never; grade 0 gives 1 to 9 only.
        Game g;
        Form1& f = *g.form;
        f.grade = 1;
        g.startStill();
        std::map<int, int> tensSeen;
        std::map<int, int> amounts;
        for (int tens = 0; tens < 3; ++tens) {
            for (int units = 0; units < 10; ++units) {
                std::vector<double> draws{(tens + 0.5) / 3.0, (units + 0.5) / 10.0};
                if (tens == 0 && units == 0)
                    draws.push_back(0.35);
                g.arrive(0, draws);
                ++amounts[f.amount];
                ++tensSeen[f.amount / 10];
            }
        }
        QCOMPARE(tensSeen[0], 10);
        QCOMPARE(tensSeen[1], 10);
        QCOMPARE(tensSeen[2], 10);
        QCOMPARE(amounts.count(0), std::size_t(0));
        QCOMPARE(amounts[10], 1);
        QCOMPARE(amounts[20], 1);
        QCOMPARE(amounts.rbegin()->first, 29);

        f.grade = 0;
        amounts.clear();
        for (int units = 0; units < 10; ++units) {
            g.arrive(0, {(units + 0.5) / 10.0, 0.95});
            ++amounts[f.amount];
        }
        QCOMPARE(amounts.begin()->first, 1);
        QCOMPARE(amounts.rbegin()->first, 9);
        QCOMPARE(amounts[9], 2);  // the drawn 0 was drawn again as 9
    }

    void realGeneratorStaysInRange()
    {
        Game g;
        Form1& f = *g.form;
        g.startStill();
        for (int grade = 0; grade <= 1; ++grade) {
            f.grade = static_cast<std::int16_t>(grade);
            std::map<int, int> tensSeen;
            for (int i = 0; i < 60; ++i) {
                g.arrive(0, {});
                QVERIFY(f.amount >= 1);
                QVERIFY(f.amount <= (grade ? 29 : 9));
                ++tensSeen[f.amount / 10];
            }
            if (grade == 1)
                QCOMPARE(tensSeen.size(), std::size_t(3));
        }
    }

    void theRealTimersWalkTheLamb()
    {
        Game g;
        SoundLog sounds;
        Form1& f = *g.form;
        QElapsedTimer walk;
        walk.start();
        f.Pictb_Click();
        f.Timer2->setEnabled(false);
        QTRY_VERIFY_WITH_TIMEOUT(f.Timer3->enabled(), 10000);
        // Each tick comes a full interval after the previous step with its
        // pause ended: seven ticks of 100 + 50 ms at least (a busy machine
        // only makes it longer).
        QVERIFY2(walk.elapsed() >= 7 * 150 - 10, qPrintable(QString::number(walk.elapsed())));
        QCOMPARE(f.PicBoy->x(), 130);
        QVERIFY(!f.Timer1->enabled());
        QCOMPARE(sounds.count(103), 1);
        QCOMPARE(sounds.count(104), 1);
        // The answer clock counts while the child thinks.
        QTRY_VERIFY_WITH_TIMEOUT(f.answerTicks > 5, 2000);
        const int before = f.answerTicks;
        f.Timer3_Timer();
        QVERIFY(f.answerTicks > before);
    }

    void aStepCutShortByHelpBringsNoLoad()
    {
        // The help button pressed during a walk step: the step ends there, the
        // scale stays at 0 0 and no arrival sound plays.
        Game g;
        SoundLog sounds;
        Form1& f = *g.form;
        g.startStill();
        f.startSound = false;
        f.PicBoy->move(110, f.PicBoy->y());
        f.Timer1->setEnabled(true);
        QTimer::singleShot(0, &f, [&f] { f.Picth_Click(); });
        f.Timer1_Timer();
        QVERIFY(!f.Timer3->enabled());
        QVERIFY(!f.Timer1->enabled());
        QCOMPARE(f.expectedTotal, std::int16_t(0));
        QVERIFY(showsPicture(f.Pic2, 300));
        QVERIFY(sounds.ids.empty());
        f.form3()->Close();
        QVERIFY(f.isEnabled());
    }
};

QTEST_MAIN(TestDelivery)
#include "test_delivery.moc"
