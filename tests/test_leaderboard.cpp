// The leaderboard window: place finding, the name box and the board file.
#include "gametest.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>

using namespace gametest;

namespace {

QByteArray boardBytes(const QList<QPair<QByteArray, int>>& rows)
{
    QByteArray out;
    for (const auto& [name, score] : rows)
        out += name + ',' + QByteArray::number(score) + "\r\n";
    return out;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kFresh = QByteArray("0,0\r\n").repeated(10);

}  // namespace

class TestLeaderboard : public QObject {
    Q_OBJECT
private slots:
    void firstGameAtALevelTakesFirstPlace()
    {
        Game g;
        SoundLog sounds;
        Form1& f = *g.form;
        Form2* b = f.form2();
        b->grd = 1;
        b->fcount = 0;
        b->Show();
        QVERIFY(!f.isEnabled());
        const QString file = g.boards.filePath(QStringLiteral("dreb1.tmp"));
        QCOMPARE(b->fBoard, file);
        QCOMPARE(readFile(file), kFresh);
        QCOMPARE(b->iPlace, std::int16_t(0));
        QCOMPARE(b->Labt->caption(), QStringLiteral("恭喜恭喜!您上榜了。您的大名:"));
        QVERIFY(b->Text1->isVisible());
        QVERIFY(b->Command1->isVisible());
        for (int k = 0; k < 10; ++k) {
            QVERIFY(b->Label1(k)->isVisible());
            QCOMPARE(b->Label1(k)->caption(), QStringLiteral("0"));
            QCOMPARE(b->Label2(k)->caption(), QStringLiteral("0"));
            QCOMPARE(b->Label1(k)->geometry(), QRect(24, 80 + 24 * k, 81, 25));
            QCOMPARE(b->Label2(k)->geometry(), QRect(152, 80 + 24 * k, 89, 25));
        }
        QCOMPARE(sounds.ids, std::vector<int>{105});

        // Enter in the name box confirms.
        b->Text1->insert(QStringLiteral("小明"));
        QTest::keyClick(b->Text1, Qt::Key_Return);
        QVERIFY(!b->isOpen());
        QVERIFY(f.isEnabled());
        // "小明" in GBK.
        const QByteArray expected = QByteArray("\xd0\xa1\xc3\xf7,0\r\n") + QByteArray("0,0\r\n").repeated(9);
        QCOMPARE(readFile(file), expected);
        QVERIFY(!QFile::exists(g.boards.filePath(QStringLiteral("dreb0.tmp"))));
    }

    void placeFinding_data()
    {
        QTest::addColumn<int>("score");
        QTest::addColumn<int>("place");
        QTest::newRow("above all") << 60 << 0;
        QTest::newRow("tie goes below") << 40 << 3;
        QTest::newRow("between") << 35 << 3;
        QTest::newRow("just above the tenth") << 1 << 6;
        QTest::newRow("equal to the tenth") << 0 << -1;
        QTest::newRow("negative") << -5 << -1;
    }
    void placeFinding()
    {
        QFETCH(int, score);
        QFETCH(int, place);
        Game g;
        SoundLog sounds;
        Form1& f = *g.form;
        const QString file = g.boards.filePath(QStringLiteral("dreb0.tmp"));
        writeFile(file, boardBytes({{"a", 50}, {"b", 40}, {"c", 40}, {"d", 30}, {"e", 20},
                                    {"f", 10}, {"g", 0}, {"h", 0}, {"i", 0}, {"j", 0}}));
        Form2* b = f.form2();
        b->grd = 0;
        b->fcount = score;
        b->Show();
        QCOMPARE(int(b->iPlace), place);
        if (place < 0) {
            QCOMPARE(b->Labt->caption(), QStringLiteral("排行榜"));
            QVERIFY(b->Text1->isHidden());
            QVERIFY(b->Command1->isHidden());
            QVERIFY(sounds.ids.empty());
        } else {
            QVERIFY(b->Text1->isVisible());
            QCOMPARE(sounds.ids, std::vector<int>{105});
        }
        QCOMPARE(b->Label1(3)->caption(), QStringLiteral("d"));
        QCOMPARE(b->Label2(3)->caption(), QStringLiteral("30"));
        b->Close();
        QVERIFY(f.isEnabled());
        // Closing from the title bar writes nothing.
        QCOMPARE(readFile(file).left(6), QByteArray("a,50\r\n"));
    }

    void savingAName()
    {
        Game g;
        Form1& f = *g.form;
        const QString file = g.boards.filePath(QStringLiteral("dreb0.tmp"));
        writeFile(file, boardBytes({{"a", 50}, {"b", 40}, {"c", 40}, {"d", 30}, {"e", 20},
                                    {"f", 10}, {"g", 5}, {"h", 4}, {"i", 3}, {"j", 2}}));
        Form2* b = f.form2();
        b->grd = 0;
        b->fcount = 45;
        b->Show();
        // An empty name is ignored, by the button and by Enter.
        QTest::mouseClick(b->Command1, Qt::LeftButton);
        QTest::keyClick(b->Text1, Qt::Key_Enter);
        QVERIFY(b->isOpen());
        // Blanks and commas are kept as typed.
        b->Text1->setText(QStringLiteral(" Li, Lei "));
        QTest::mouseClick(b->Command1, Qt::LeftButton);
        QVERIFY(!b->isOpen());
        QCOMPARE(readFile(file), boardBytes({{"a", 50}, {" Li, Lei ", 45}, {"b", 40}, {"c", 40},
                                             {"d", 30}, {"e", 20}, {"f", 10}, {"g", 5}, {"h", 4},
                                             {"i", 3}}));
        // The next showing lists the new entry; this one did not.
        b->fcount = 0;
        b->Show();
        QCOMPARE(b->Label1(1)->caption(), QStringLiteral(" Li, Lei "));
        QCOMPARE(b->Label2(1)->caption(), QStringLiteral("45"));
        b->Close();
    }

    void theListShowsTheBoardBeforeThisGame()
    {
        Game g;
        Form1& f = *g.form;
        Form2* b = f.form2();
        b->grd = 0;
        b->fcount = 900;
        b->Show();  // no file: a fresh board, first place
        b->Text1->setText(QStringLiteral("A"));
        b->Command1_Click();
        b->fcount = 950;
        b->Show();
        QCOMPARE(b->iPlace, std::int16_t(0));
        QCOMPARE(b->Label1(0)->caption(), QStringLiteral("A"));
        QCOMPARE(b->Label2(0)->caption(), QStringLiteral("900"));
        for (int k = 0; k < 10; ++k)
            QVERIFY(b->Label2(k)->caption() != QStringLiteral("950"));
        b->Close();
    }

    void levelsKeepSeparateBoards()
    {
        Game g;
        Form1& f = *g.form;
        Form2* b = f.form2();
        b->grd = 1;
        b->fcount = 777;
        b->Show();
        b->Text1->setText(QStringLiteral("L1"));
        b->Command1_Click();
        b->grd = 0;
        b->fcount = 0;
        b->Show();
        for (int k = 0; k < 10; ++k)
            QCOMPARE(b->Label2(k)->caption(), QStringLiteral("0"));
        b->Close();
    }

    void aShortFileKeepsTheRowsOfTheLastShowing()
    {
        Game g;
        Form1& f = *g.form;
        const QString file = g.boards.filePath(QStringLiteral("dreb0.tmp"));
        writeFile(file, boardBytes({{"a", 9}, {"b", 8}, {"c", 7}, {"d", 6}, {"e", 5},
                                    {"f", 4}, {"g", 3}, {"h", 2}, {"i", 1}, {"j", 1}}));
        Form2* b = f.form2();
        b->grd = 0;
        b->fcount = 0;
        b->Show();
        b->Close();
        writeFile(file, boardBytes({{"x", 90}, {"y", 80}}));
        b->Show();
        QCOMPARE(b->Label1(0)->caption(), QStringLiteral("x"));
        QCOMPARE(b->Label1(1)->caption(), QStringLiteral("y"));
        QCOMPARE(b->Label1(2)->caption(), QStringLiteral("c"));
        QCOMPARE(b->Label2(9)->caption(), QStringLiteral("1"));
        b->Close();
    }

    void aFailedSaveSaysSoAndStaysOpen()
    {
        Game g;
        Form1& f = *g.form;
        // A folder that cannot exist: its parent is a regular file.
        const QString blocker = g.boards.filePath(QStringLiteral("not-a-folder"));
        writeFile(blocker, "x");
        f.boardFolder = blocker + QStringLiteral("/");
        Form2* b = f.form2();
        b->grd = 0;
        b->fcount = 120;
        b->Show();
        QCOMPARE(b->iPlace, std::int16_t(0));
        b->Text1->setText(QStringLiteral("Mei"));
        b->Command1_Click();
        QVERIFY(b->isOpen());
        QVERIFY(b->Labt->caption() != QStringLiteral("恭喜恭喜!您上榜了。您的大名:"));
        QVERIFY(b->Labt->caption().contains(QStringLiteral("保存")));
        QVERIFY(!f.isEnabled());
        b->Close();
        QVERIFY(f.isEnabled());
    }

    void twoGamesAtOnceKeepBothEntries()
    {
        // Two copies of the game in one folder: A's leaderboard is open, B's
        // game ends; A confirms, then B. Both entries are kept, B's where the
        // rule puts it on the board A has just saved.
        Game a;
        Game b;
        b.form->boardFolder = a.form->boardFolder;
        const QString file = a.boards.filePath(QStringLiteral("dreb0.tmp"));
        writeFile(file, boardBytes({{"p", 50}, {"q", 40}, {"r", 30}, {"s", 20}, {"t", 10},
                                    {"u", 9}, {"v", 8}, {"w", 7}, {"x", 6}, {"y", 5}}));
        Form2* first = a.form->form2();
        first->fcount = 35;
        first->Show();
        Form2* second = b.form->form2();
        second->fcount = 45;
        second->Show();
        QCOMPARE(first->iPlace, std::int16_t(2));
        QCOMPARE(second->iPlace, std::int16_t(1));
        first->Text1->setText(QStringLiteral("A"));
        first->Command1_Click();
        second->Text1->setText(QStringLiteral("B"));
        second->Command1_Click();
        QVERIFY(!first->isOpen());
        QVERIFY(!second->isOpen());
        QCOMPARE(readFile(file), boardBytes({{"p", 50}, {"B", 45}, {"q", 40}, {"A", 35}, {"r", 30},
                                             {"s", 20}, {"t", 10}, {"u", 9}, {"v", 8}, {"w", 7}}));
    }

    void pushedOffTheBoardMeanwhile()
    {
        // Another game filled the board with better scores while this window
        // was open: confirming shows the board as it now is, with no name box.
        Game g;
        const QString file = g.boards.filePath(QStringLiteral("dreb0.tmp"));
        Form2* b = g.form->form2();
        b->fcount = 5;
        b->Show();  // no board yet: first place
        writeFile(file, QByteArray("o,9\r\n").repeated(10));
        b->Text1->setText(QStringLiteral("Mei"));
        b->Command1_Click();
        QVERIFY(b->isOpen());
        QCOMPARE(b->iPlace, std::int16_t(-1));
        QCOMPARE(b->Labt->caption(), QStringLiteral("排行榜"));
        QVERIFY(b->Text1->isHidden());
        QVERIFY(b->Command1->isHidden());
        QCOMPARE(b->Label1(9)->caption(), QStringLiteral("o"));
        QCOMPARE(b->Label2(9)->caption(), QStringLiteral("9"));
        QCOMPARE(readFile(file), QByteArray("o,9\r\n").repeated(10));
        b->Close();
    }

    void theChildWhoPlayedIsNamedAlready()
    {
        // Enter keeps the child's name; a key typed first replaces all of it.
        for (const bool typeFirst : {false, true}) {
            Game g;
            Form2* b = g.form->form2();
            b->fcount = 10;
            b->childName = QStringLiteral("小明");
            b->Show();
            QCOMPARE(b->Text1->text(), QStringLiteral("小明"));
            if (typeFirst)
                QTest::keyClicks(b->Text1, QStringLiteral("Bo"));
            QTest::keyClick(b->Text1, Qt::Key_Return);
            QVERIFY(!b->isOpen());
            const QByteArray name = typeFirst ? QByteArray("Bo") : QByteArray("\xd0\xa1\xc3\xf7");
            QCOMPARE(readFile(g.boards.filePath(QStringLiteral("dreb0.tmp"))).left(name.size() + 5), name + ",10\r\n");
        }
    }

    void theNameBoxTakesWhatTheBoardKeeps()
    {
        // Typing stops at the board's limit; a character of two UTF-16 units
        // that the box cut in half is left out, and the name saves.
        Game g;
        Form2* b = g.form->form2();
        b->fcount = 10;
        b->Show();
        const QString name(leaderboard::kMaxNameLength - 1, QLatin1Char('n'));
        b->Text1->insert(name + QStringLiteral("😀 and more"));
        QCOMPARE(b->Text1->text().size(), leaderboard::kMaxNameLength);
        b->Command1_Click();
        QVERIFY(!b->isOpen());
        QCOMPARE(readFile(g.boards.filePath(QStringLiteral("dreb0.tmp"))).left(name.size() + 5),
                 name.toLatin1() + ",10\r\n");
    }

    void opensInSilenceWithoutTheFanfare()
    {
        assets::setMissingForTest({105});
        Game g;
        SoundLog sounds;
        Form1& f = *g.form;
        Form2* b = f.form2();
        b->grd = 0;
        b->fcount = 50;
        b->Show();
        QCOMPARE(b->iPlace, std::int16_t(0));
        QVERIFY(b->Text1->isVisible());
        QVERIFY(sounds.ids.empty());
        b->Close();
        QVERIFY(f.isEnabled());
    }

    void closingHoweverReenablesTheGame()
    {
        Game g;
        Form1& f = *g.form;
        Form2* b = f.form2();
        b->grd = 0;
        b->fcount = 10;
        b->Show();
        QVERIFY(!f.isEnabled());
        // As the close box of the title bar does it.
        b->window()->windowHandle()->close();
        QVERIFY(f.isEnabled());
        QVERIFY(!b->isOpen());
    }
};

QTEST_MAIN(TestLeaderboard)
#include "test_leaderboard.moc"
