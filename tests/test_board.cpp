// The leaderboard files: line format, reading entry by entry, the code page,
// safe rewriting and the choice of folder.
#include "leaderboard/board.h"
#include "leaderboard/boardfolder.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace leaderboard;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray freshBytes() { return QByteArray("0,0\r\n").repeated(kEntries); }

// A board whose every entry is recognisable: name "oldK", score 100 + K.
Board markedBoard() {
    Board b;
    for (int k = 0; k < kEntries; ++k) {
        b.sName[k] = QStringLiteral("old%1").arg(k);
        b.iScore[k] = 100 + k;
    }
    return b;
}

// Converts UTF-8 text to GBK with the system's iconv; empty when unavailable.
QByteArray iconvToGbk(const QByteArray& utf8) {
    if (QStandardPaths::findExecutable(QStringLiteral("iconv")).isEmpty())
        return {};
    QProcess p;
    p.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("UTF-8"),
                                      QStringLiteral("-t"), QStringLiteral("GBK")});
    if (!p.waitForStarted())
        return {};
    p.write(utf8);
    p.closeWriteChannel();
    if (!p.waitForFinished() || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

// Runs `body` in a forked child whose files may grow to `limit` bytes at most
// and returns the child's wait status.
template <typename F>
int inChildWithFileLimit(rlim_t limit, bool ignoreSigXfsz, F body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (ignoreSigXfsz)
            signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

}  // namespace

class TestBoard : public QObject {
    Q_OBJECT

private slots:
    void fileNameAndLineFormat();
    void freshBoardBytes();
    void parseScoreRules_data();
    void parseScoreRules();
    void takeLineRules();
    void readEntryByEntry();
    void readLineEnds();
    void readShortAndLongFiles();
    void readHugeLineAndHugeFile();
    void readMissingFile();
    void gbkFilesFromIconv();
    void namesOutsideGbkRoundTrip();
    void saveInsertsAtPlace();
    void saveNameWithCommaKeepsScore();
    void saveFailureKeepsOldFile();
    void killedSaveKeepsOldFile();
    void boardFolderChoice();
};

void TestBoard::fileNameAndLineFormat() {
    QCOMPARE(boardFileName(QStringLiteral("/games/pellaro/"), 0), QStringLiteral("/games/pellaro/dreb0.tmp"));
    QCOMPARE(boardFileName(QStringLiteral("/x/"), 1), QStringLiteral("/x/dreb1.tmp"));
    QCOMPARE(boardLine(QStringLiteral(" 小 羊 "), -12), QStringLiteral(" 小 羊 ,-12"));
    QCOMPARE(boardLine(QString(), 0), QStringLiteral(",0"));
    QCOMPARE(boardLine(QStringLiteral("a,b"), 2147483647), QStringLiteral("a,b,2147483647"));
    // A line end in a name must not split the entry.
    QCOMPARE(boardLine(QStringLiteral("a\r\nb"), 5), QStringLiteral("a  b,5"));
}

void TestBoard::freshBoardBytes() {
    QTemporaryDir dir;
    const QString f = boardFileName(dir.path() + '/', 0);
    Board b = markedBoard();
    QVERIFY(CreateBoard(f, b));
    QCOMPARE(readAll(f), freshBytes());
    for (int k = 0; k < kEntries; ++k) {
        QCOMPARE(b.sName[k], QStringLiteral("0"));
        QCOMPARE(b.iScore[k], 0);
    }
    // Creating over an existing board cuts it to the fresh one.
    writeBytes(f, QByteArray("x,1\r\n").repeated(40));
    QVERIFY(CreateBoard(f, b));
    QCOMPARE(readAll(f), freshBytes());
    // A board that cannot be written is still fresh in memory.
    b = markedBoard();
    QVERIFY(!CreateBoard(dir.path() + "/no/such/dir/dreb0.tmp", b));
    QCOMPARE(b.sName[9], QStringLiteral("0"));
    QCOMPARE(b.iScore[9], 0);
}

void TestBoard::parseScoreRules_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("reads");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "40" << true << 40;
    QTest::newRow("blanks") << "  12  " << true << 12;
    QTest::newRow("tabs") << "\t7\t" << true << 7;
    QTest::newRow("negative") << "-300" << true << -300;
    QTest::newRow("plus") << "+9" << true << 9;
    QTest::newRow("zeros") << "0007" << true << 7;
    QTest::newRow("half down to even") << "2.5" << true << 2;
    QTest::newRow("half up to even") << "3.5" << true << 4;
    QTest::newRow("minus half") << "-0.5" << true << 0;
    QTest::newRow("minus one and a half") << "-1.5" << true << -2;
    QTest::newRow("above half") << "2.50001" << true << 3;
    QTest::newRow("below half") << "2.4999" << true << 2;
    QTest::newRow("bare fraction") << ".5" << true << 0;
    QTest::newRow("bare point") << "6." << true << 6;
    QTest::newRow("16-bit overflow") << "40000" << true << 40000;
    QTest::newRow("int32 max") << "2147483647" << true << 2147483647;
    QTest::newRow("int32 min") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("min with even half") << "-2147483648.5" << true << int(-2147483647 - 1);
    QTest::newRow("max padded") << "000002147483647.4" << true << 2147483647;
    QTest::newRow("beyond max") << "2147483648" << false << 0;
    QTest::newRow("rounds beyond max") << "2147483647.5" << false << 0;
    QTest::newRow("beyond min") << "-2147483649" << false << 0;
    QTest::newRow("huge") << "99999999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing junk") << "12abc" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
    QTest::newRow("sign then blank") << "- 5" << false << 0;
    QTest::newRow("point alone") << "." << false << 0;
    QTest::newRow("two points") << "1.2.3" << false << 0;
    QTest::newRow("exponent") << "1e3" << false << 0;
    QTest::newRow("full-width digits") << "１２" << false << 0;
}

void TestBoard::parseScoreRules() {
    QFETCH(QString, text);
    QFETCH(bool, reads);
    QFETCH(int, value);
    const auto got = parseScore(text);
    QCOMPARE(got.has_value(), reads);
    if (reads)
        QCOMPARE(*got, value);
}

void TestBoard::takeLineRules() {
    Board b = markedBoard();
    takeLine(QStringLiteral("15"), b, 0);  // no comma: name stays, score read
    QCOMPARE(b.sName[0], QStringLiteral("old0"));
    QCOMPARE(b.iScore[0], 15);
    takeLine(QStringLiteral(",7"), b, 1);  // empty name
    QCOMPARE(b.sName[1], QString());
    QCOMPARE(b.iScore[1], 7);
    takeLine(QStringLiteral("Ann,lots"), b, 2);  // name read, score kept
    QCOMPARE(b.sName[2], QStringLiteral("Ann"));
    QCOMPARE(b.iScore[2], 102);
    takeLine(QStringLiteral("Li, Bo, Jr,33"), b, 3);  // last comma splits
    QCOMPARE(b.sName[3], QStringLiteral("Li, Bo, Jr"));
    QCOMPARE(b.iScore[3], 33);
    takeLine(QStringLiteral("junk"), b, 4);  // nothing reads
    QCOMPARE(b.sName[4], QStringLiteral("old4"));
    QCOMPARE(b.iScore[4], 104);
    takeLine(QStringLiteral("x,1"), b, kEntries);  // no such entry
    takeLine(QStringLiteral("x,1"), b, -1);
    QCOMPARE(b.sName[9], QStringLiteral("old9"));
}

void TestBoard::readEntryByEntry() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    writeBytes(f, "Ann,50\r\n"
                  "Bo, 12 \r\n"
                  "15\r\n"
                  ",7\r\n"
                  "Cy,letters\r\n"
                  "Di,2147483648\r\n"
                  "Ed,\r\n"
                  "\r\n"
                  "Fa,2.5\r\n"
                  "Gu,-3.5\r\n");
    Board b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    const QStringList names{"Ann", "Bo", "old2", "", "Cy", "Di", "Ed", "old7", "Fa", "Gu"};
    const QList<int> scores{50, 12, 15, 7, 104, 105, 106, 107, 2, -4};
    for (int k = 0; k < kEntries; ++k) {
        QCOMPARE(b.sName[k], names[k]);
        QCOMPARE(b.iScore[k], scores[k]);
    }
}

void TestBoard::readLineEnds() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    // LF only, CR only, and a last line without any line end.
    writeBytes(f, "a,1\nb,2\rc,3\r\n\nd,4");
    const auto lines = platform::readTextLines(f, 100);
    QVERIFY(lines.has_value());
    QCOMPARE(*lines, QStringList({"a,1", "b,2", "c,3", "", "d,4"}));
    writeBytes(f, "a,1\r\r\n");  // a lone CR ends a line of its own
    QCOMPARE(*platform::readTextLines(f, 100), QStringList({"a,1", ""}));
    writeBytes(f, "");
    QCOMPARE(platform::readTextLines(f, 100)->size(), 0);
    // A CR LF pair split across the reader's chunks is still one line end.
    QByteArray split(64 * 1024 - 1, 'n');
    split += "\r\nz,9\r\n";
    writeBytes(f, split);
    const auto two = platform::readTextLines(f, 100, 128 * 1024);
    QCOMPARE(two->size(), 2);
    QCOMPARE(two->at(0).size(), 64 * 1024 - 1);
    QCOMPARE(two->at(1), QStringLiteral("z,9"));
}

void TestBoard::readShortAndLongFiles() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb1.tmp");
    writeBytes(f, "Ann,50\r\nBo,40");  // two lines only
    Board b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[1], QStringLiteral("Bo"));
    QCOMPARE(b.iScore[1], 40);
    QCOMPARE(b.sName[2], QStringLiteral("old2"));
    QCOMPARE(b.iScore[9], 109);

    writeBytes(f, "");  // empty: nothing changes, but the file was opened
    b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[0], QStringLiteral("old0"));

    QByteArray many;
    for (int k = 0; k < 25; ++k)
        many += QByteArray("n") + QByteArray::number(k) + ',' + QByteArray::number(k) + "\r\n";
    writeBytes(f, many);
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[9], QStringLiteral("n9"));
    QCOMPARE(b.iScore[9], 9);
    QCOMPARE(platform::readTextLines(f, 10)->size(), 10);
}

void TestBoard::readHugeLineAndHugeFile() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    // A 1 MB line is cut to the line limit and the reading goes on after it.
    QByteArray bytes = "Ann,1\r\n" + QByteArray(1024 * 1024, 'x') + ",2\r\nCy,3\r\n";
    writeBytes(f, bytes);
    Board b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.iScore[0], 1);
    QCOMPARE(b.sName[1], QStringLiteral("old1"));  // the kept part holds no comma
    QCOMPARE(b.iScore[1], 101);
    QCOMPARE(b.sName[2], QStringLiteral("Cy"));
    QCOMPARE(b.iScore[2], 3);
    const auto lines = platform::readTextLines(f, 10, 1000);
    QCOMPARE(lines->at(1), QString(1000, 'x'));

    // Ten lines and then a gigabyte (a sparse file): only the start is read.
    QFile big(dir.filePath("dreb1.tmp"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    big.write(freshBytes());
    QVERIFY(big.resize(qint64(1) << 30));
    big.close();
    b = markedBoard();
    QVERIFY(ReadBoard(big.fileName(), b));
    QCOMPARE(b.sName[9], QStringLiteral("0"));
    QCOMPARE(b.iScore[9], 0);
}

void TestBoard::readMissingFile() {
    QTemporaryDir dir;
    Board b = markedBoard();
    QVERIFY(!ReadBoard(dir.filePath("dreb0.tmp"), b));
    QVERIFY(!ReadBoard(dir.path(), b));  // a folder is not a board
    QCOMPARE(b.sName[0], QStringLiteral("old0"));
    QCOMPARE(b.iScore[0], 100);
}

void TestBoard::gbkFilesFromIconv() {
    const QByteArray utf8 = "小羊,90\r\n王小明,80\r\n李,四,70\r\n牧羊犬 阿黄 ,60\r\n";
    const QByteArray gbk = iconvToGbk(utf8);
    if (gbk.isEmpty())
        QSKIP("iconv with GBK is not available");
    QCOMPARE(gbk.size(), utf8.size() - 12);  // twelve Chinese characters, 3 bytes -> 2
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    writeBytes(f, gbk);
    Board b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[0], QStringLiteral("小羊"));
    QCOMPARE(b.iScore[0], 90);
    QCOMPARE(b.sName[1], QStringLiteral("王小明"));
    QCOMPARE(b.sName[2], QStringLiteral("李,四"));
    QCOMPARE(b.iScore[2], 70);
    QCOMPARE(b.sName[3], QStringLiteral("牧羊犬 阿黄 "));

    // Written back, the GBK names are the very same bytes.
    QVERIFY(SaveBoard(f, b, 4, QStringLiteral("新"), 50));
    const QByteArray expected = iconvToGbk(utf8 + "新,50\r\n" + "old4,104\r\nold5,105\r\nold6,106\r\n"
                                           "old7,107\r\nold8,108\r\n");
    QCOMPARE(readAll(f), expected);

    // Bytes that are not GBK become replacement characters, nothing more.
    writeBytes(f, "A\x80" "B,5\r\n\xC4,6\r\n");
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[0], QStringLiteral("A\uFFFDB"));
    QCOMPARE(b.iScore[0], 5);
    QCOMPARE(b.sName[1], QStringLiteral("\uFFFD"));
    QCOMPARE(b.iScore[1], 6);
}

void TestBoard::namesOutsideGbkRoundTrip() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    Board b;
    QVERIFY(CreateBoard(f, b));
    const QString names[] = {QStringLiteral("小羊😀"), QStringLiteral("𠀀𪚥"), QStringLiteral("Zoë €")};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(SaveBoard(f, b, 0, names[i], 1000 + i));
        QVERIFY(ReadBoard(f, b));
    }
    QCOMPARE(b.sName[0], names[2]);
    QCOMPARE(b.sName[1], names[1]);
    QCOMPARE(b.sName[2], names[0]);
    QCOMPARE(b.iScore[2], 1000);
    QCOMPARE(b.sName[3], QStringLiteral("0"));
    // A name that no code page can hold (a lone surrogate) is refused.
    QString broken = QStringLiteral("ab");
    broken.insert(1, QChar(0xD800));
    const QByteArray before = readAll(f);
    QVERIFY(!SaveBoard(f, b, 0, broken, 1));
    QCOMPARE(readAll(f), before);
}

void TestBoard::saveInsertsAtPlace() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    Board b;
    QVERIFY(CreateBoard(f, b));
    QVERIFY(SaveBoard(f, b, 0, QStringLiteral("Ann"), 40));
    QCOMPARE(readAll(f), "Ann,40\r\n" + QByteArray("0,0\r\n").repeated(9));

    const int scores[kEntries] = {50, 40, 40, 30, 20, 10, 0, 0, 0, 0};
    for (int k = 0; k < kEntries; ++k) {
        b.sName[k] = QStringLiteral("p%1").arg(k);
        b.iScore[k] = scores[k];
    }
    const Board before = b;
    QVERIFY(SaveBoard(f, b, 3, QStringLiteral("New"), 40));
    QCOMPARE(readAll(f), QByteArray("p0,50\r\np1,40\r\np2,40\r\nNew,40\r\np3,30\r\np4,20\r\n"
                                    "p5,10\r\np6,0\r\np7,0\r\np8,0\r\n"));
    QCOMPARE(b.sName, before.sName);  // memory untouched
    QCOMPARE(b.iScore, before.iScore);
    QVERIFY(SaveBoard(f, b, 9, QStringLiteral("Last"), 2000000000));
    QVERIFY(readAll(f).endsWith("p8,0\r\nLast,2000000000\r\n"));
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.iScore[9], 2000000000);  // fast players keep scores past 32767

    const QByteArray kept = readAll(f);
    QVERIFY(!SaveBoard(f, b, 10, QStringLiteral("X"), 1));
    QVERIFY(!SaveBoard(f, b, -1, QStringLiteral("X"), 1));
    QCOMPARE(readAll(f), kept);
}

void TestBoard::saveNameWithCommaKeepsScore() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb1.tmp");
    Board b;
    QVERIFY(CreateBoard(f, b));
    QVERIFY(SaveBoard(f, b, 0, QStringLiteral("Smith, J,r"), 321));
    QCOMPARE(readAll(f).left(16), QByteArray("Smith, J,r,321\r\n"));
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[0], QStringLiteral("Smith, J,r"));
    QCOMPARE(b.iScore[0], 321);
}

void TestBoard::saveFailureKeepsOldFile() {
    QTemporaryDir dir;
    Board b;
    // A folder that is a regular file, and one that does not exist.
    const QString notDir = dir.filePath("plain");
    writeBytes(notDir, "x");
    QVERIFY(!SaveBoard(notDir + "/dreb0.tmp", b, 0, QStringLiteral("A"), 1));
    QVERIFY(!SaveBoard(dir.filePath("missing/dreb0.tmp"), b, 0, QStringLiteral("A"), 1));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));

    // A full disk: the write fails part way (file size limit), old file stays.
    const QString f = dir.filePath("dreb0.tmp");
    QVERIFY(CreateBoard(f, b));
    const QString longName(4000, QLatin1Char('L'));
    const int status = inChildWithFileLimit(1000, true, [&] {
        return SaveBoard(f, b, 0, longName, 7);
    });
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 1);  // SaveBoard said false
    QCOMPARE(readAll(f), freshBytes());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"dreb0.tmp", "plain"}));

    if (geteuid() != 0) {  // permissions do not bind root
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!SaveBoard(f, b, 0, QStringLiteral("A"), 1));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(readAll(f), freshBytes());
    }
}

void TestBoard::killedSaveKeepsOldFile() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    Board b;
    QVERIFY(CreateBoard(f, b));
    // The child is killed by the kernel (SIGXFSZ) while it writes the new
    // board, after part of it has reached the disk.
    const QString longName(300000, QLatin1Char('K'));
    const int status = inChildWithFileLimit(64 * 1024, false, [&] {
        return SaveBoard(f, b, 0, longName, 7);
    });
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGXFSZ);
    QCOMPARE(readAll(f), freshBytes());
    // The next save works normally.
    QVERIFY(SaveBoard(f, b, 0, QStringLiteral("Ok"), 7));
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[0], QStringLiteral("Ok"));
}

void TestBoard::boardFolderChoice() {
    QTemporaryDir dir;
    QCOMPARE(chooseBoardFolder(dir.path() + '/'), dir.path() + '/');
    QCOMPARE(chooseBoardFolder(dir.path()), dir.path() + '/');
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());  // the probe leaves nothing behind

    // A program folder under a regular file can hold no files: the user's
    // data folder is taken instead, and made.
    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(data).removeRecursively();
    writeBytes(dir.filePath("plain"), "x");
    const QString chosen = chooseBoardFolder(dir.filePath("plain") + "/bin/");
    QCOMPARE(chosen, data + '/');
    QVERIFY(QFileInfo(data).isDir());
    QVERIFY(platform::writeTextLinesAtomically(boardFileName(chosen, 0), {"0,0"}));
    QDir(data).removeRecursively();
    QStandardPaths::setTestModeEnabled(false);
}

QTEST_GUILESS_MAIN(TestBoard)
#include "test_board.moc"
