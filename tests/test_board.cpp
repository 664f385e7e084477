// The leaderboard files: line format, reading entry by entry, the code page,
// safe rewriting, whatever stands at a board's path, two games saving at
// once, and the choice of folder.
#include "leaderboard/board.h"
#include "leaderboard/boardfolder.h"
#include "platform/folderlock.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// The texts of the lines read, with a "~" after each line marked cut.
QStringList texts(const std::optional<QList<platform::TextLine>>& lines) {
    QStringList out;
    for (const platform::TextLine& line : lines.value())
        out.append(line.text + (line.cut ? QStringLiteral("~") : QString()));
    return out;
}

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

// The user and group "nobody" of Debian.
constexpr uid_t kNobody = 65534;

// Runs `body` in a forked child that, when this test runs as root, runs as
// the user nobody (so that access rights bind it), and returns its wait status.
template <typename F>
int asOrdinaryUser(F body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(3);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

// Everything in a folder, hidden entries included, sorted by name.
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

int modeOf(const QString& path) {
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
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
    void longLinesAndLongNames();
    void kindsOfFile_data();
    void kindsOfFile();
    void gbkFilesFromIconv();
    void namesOutsideGbkRoundTrip();
    void saveInsertsAtPlace();
    void saveNameWithCommaKeepsScore();
    void saveFailureKeepsOldFile();
    void saveKeepsPermissions();
    void twoGamesSaveAtOnce();
    void leftoversOfAKilledSave();
    void boardFolderChoice();
    void readOnlyProgramFolderWithBoards();
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
    // A file that is there (another game's new board) is never overwritten.
    writeBytes(f, QByteArray("x,1\r\n").repeated(40));
    QVERIFY(!CreateBoard(f, b));
    QCOMPARE(readAll(f), QByteArray("x,1\r\n").repeated(40));
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
    QCOMPARE(texts(platform::readTextLines(f, 100)), QStringList({"a,1", "b,2", "c,3", "", "d,4"}));
    writeBytes(f, "a,1\r\r\n");  // a lone CR ends a line of its own
    QCOMPARE(texts(platform::readTextLines(f, 100)), QStringList({"a,1", ""}));
    writeBytes(f, "");
    QCOMPARE(platform::readTextLines(f, 100)->size(), 0);
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

void TestBoard::longLinesAndLongNames() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    // The longest name the name box takes, in characters of four bytes each,
    // reads back as written, and so does its score.
    QString longest;
    while (longest.size() + 2 <= kMaxNameLength)
        longest += QStringLiteral("😀");
    Board b;
    QVERIFY(CreateBoard(f, b));
    QCOMPARE(SaveBoard(f, b, 0, longest, 990), SaveResult::Saved);
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[0], longest);
    QCOMPARE(b.iScore[0], 990);
    // Longer names are cut to the limit, never inside a character.
    QCOMPARE(boardName(longest + "abc"), longest);
    QCOMPARE(boardName(QString(kMaxNameLength - 1, 'a') + QStringLiteral("😀")), QString(kMaxNameLength - 1, 'a'));
    QCOMPARE(boardName(longest.left(kMaxNameLength - 1)), longest.left(kMaxNameLength - 2));

    // Hand-made lines of any length within the reading limit: the score
    // after the last comma is taken and the name cut to the limit, so the
    // next save keeps the score.
    const QByteArray longName(70000, 'x');
    writeBytes(f, longName + ",990\r\nAnn,1\r\nBo," + QByteArray(64 * 1024, '9') + "\r\nCy,3\r\n");
    b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[0], QString(kMaxNameLength, 'x'));
    QCOMPARE(b.iScore[0], 990);
    QCOMPARE(b.iScore[1], 1);
    QCOMPARE(b.sName[2], QStringLiteral("Bo"));
    QCOMPARE(b.iScore[2], 102);  // a score that does not read keeps the old one
    QCOMPARE(b.sName[3], QStringLiteral("Cy"));
    QCOMPARE(SaveBoard(f, b, 4, QStringLiteral("Di"), 0), SaveResult::Saved);
    b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.iScore[0], 990);
    // Names read are cut like names saved, so a board read is saved and read
    // back unchanged, even where each bad byte becomes four when written.
    writeBytes(f, QByteArray(60000, '\x80') + ",5\r\n");
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(SaveBoard(f, b, 1, QStringLiteral("x"), 1), SaveResult::Saved);
    b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.sName[0], QString(kMaxNameLength, QChar(0xFFFD)));
    QCOMPARE(b.iScore[0], 5);

    // A file that never ends its lines costs at most the reading limit: the
    // line the limit cuts off is marked cut, and the entry keeps its score.
    writeBytes(f, "Ann,1\r\n" + QByteArray(platform::kMaxReadBytes, '7'));
    QCOMPARE(texts(platform::readTextLines(f, 10, 12)), QStringList({"Ann,1", "77777~"}));
    b = markedBoard();
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.iScore[1], 101);
    writeBytes(f, "Ann,1\r\nBo,22");  // a last line ended by the file is whole
    QCOMPARE(texts(platform::readTextLines(f, 10, 11)), QStringList({"Ann,1", "Bo,2~"}));
    QCOMPARE(texts(platform::readTextLines(f, 10, 12)), QStringList({"Ann,1", "Bo,22"}));

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

void TestBoard::kindsOfFile_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"regular", "missing", "directory", "fifo", "link to a file",
                             "dangling link", "link to /dev/zero", "device"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

// Whatever stands at a board's path, the window's calls (read; a fresh board
// where that fails; save) never block, and never write through or over it:
// only a regular file is a board, and the save of anything else fails.
void TestBoard::kindsOfFile() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    const QByteArray path = QFile::encodeName(f);
    const QString other = dir.filePath("other.txt");
    writeBytes(other, "secret,5\r\n");
    if (kind == "regular")
        writeBytes(f, "Ann,50\r\n");
    else if (kind == "directory")
        QVERIFY(QDir(dir.path()).mkdir("dreb0.tmp"));
    else if (kind == "fifo")
        QCOMPARE(mkfifo(path.constData(), 0644), 0);
    else if (kind == "link to a file")
        QVERIFY(QFile::link(other, f));
    else if (kind == "dangling link")
        QVERIFY(QFile::link(dir.filePath("made-by-the-game"), f));
    else if (kind == "link to /dev/zero")
        QVERIFY(QFile::link("/dev/zero", f));
    else if (kind == "device" && mknod(path.constData(), S_IFCHR | 0666, makedev(1, 5)) != 0)
        QSKIP("making a device node needs root");
    struct stat before {};
    lstat(path.constData(), &before);

    const bool isBoard = kind == "regular" || kind == "missing";
    Board b = markedBoard();
    const bool read = ReadBoard(f, b);
    QCOMPARE(read, kind == "regular");
    if (!read)
        QCOMPARE(CreateBoard(f, b), kind == "missing");
    QCOMPARE(SaveBoard(f, b, 0, QStringLiteral("Mei"), 90), isBoard ? SaveResult::Saved : SaveResult::Failed);

    if (isBoard) {
        QVERIFY(ReadBoard(f, b));
        QCOMPARE(b.sName[0], QStringLiteral("Mei"));
    } else {
        struct stat after {};
        QCOMPARE(lstat(path.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(b.sName[0], QStringLiteral("0"));  // a fresh board was shown
    }
    QCOMPARE(readAll(other), QByteArray("secret,5\r\n"));
    QVERIFY(!QFileInfo::exists(dir.filePath("made-by-the-game")));
    QCOMPARE(entries(dir.path()), QStringList({"dreb0.tmp", "other.txt"}));
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
    QCOMPARE(SaveBoard(f, b, 4, QStringLiteral("新"), 50), SaveResult::Saved);
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
        QCOMPARE(SaveBoard(f, b, 0, names[i], 1000 + i), SaveResult::Saved);
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
    QCOMPARE(SaveBoard(f, b, 0, broken, 1), SaveResult::Failed);
    QCOMPARE(readAll(f), before);
}

void TestBoard::saveInsertsAtPlace() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    Board b;
    QVERIFY(CreateBoard(f, b));
    QCOMPARE(SaveBoard(f, b, 0, QStringLiteral("Ann"), 40), SaveResult::Saved);
    QCOMPARE(readAll(f), "Ann,40\r\n" + QByteArray("0,0\r\n").repeated(9));

    writeBytes(f, "p0,50\r\np1,40\r\np2,40\r\np3,30\r\np4,20\r\np5,10\r\np6,0\r\np7,0\r\np8,0\r\np9,0\r\n");
    QVERIFY(ReadBoard(f, b));
    const Board before = b;
    QCOMPARE(SaveBoard(f, b, 3, QStringLiteral("New"), 40), SaveResult::Saved);
    QCOMPARE(readAll(f), QByteArray("p0,50\r\np1,40\r\np2,40\r\nNew,40\r\np3,30\r\np4,20\r\n"
                                    "p5,10\r\np6,0\r\np7,0\r\np8,0\r\n"));
    QVERIFY(b == before);  // memory untouched

    // Saved from a board the file no longer holds (another game saved
    // meanwhile): the entry goes where the rule puts it on the file's board,
    // whatever place was asked for, and the other game's entry stays.
    QCOMPARE(SaveBoard(f, before, 9, QStringLiteral("Late"), 35), SaveResult::Saved);
    QCOMPARE(readAll(f), QByteArray("p0,50\r\np1,40\r\np2,40\r\nNew,40\r\nLate,35\r\np3,30\r\n"
                                    "p4,20\r\np5,10\r\np6,0\r\np7,0\r\n"));
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(SaveBoard(f, b, 9, QStringLiteral("Last"), 2000000000), SaveResult::Saved);
    QVERIFY(readAll(f).endsWith("p6,0\r\nLast,2000000000\r\n"));
    QVERIFY(ReadBoard(f, b));
    QCOMPARE(b.iScore[9], 2000000000);  // fast players keep scores past 32767

    const QByteArray kept = readAll(f);
    QCOMPARE(SaveBoard(f, b, 10, QStringLiteral("X"), 1), SaveResult::Failed);
    QCOMPARE(SaveBoard(f, b, -1, QStringLiteral("X"), 1), SaveResult::Failed);
    // Pushed off meanwhile: nothing to write.
    QCOMPARE(SaveBoard(f, before, 9, QStringLiteral("X"), 0), SaveResult::NoPlace);
    QCOMPARE(readAll(f), kept);
}

void TestBoard::saveNameWithCommaKeepsScore() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb1.tmp");
    Board b;
    QVERIFY(CreateBoard(f, b));
    QCOMPARE(SaveBoard(f, b, 0, QStringLiteral("Smith, J,r"), 321), SaveResult::Saved);
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
    QCOMPARE(SaveBoard(notDir + "/dreb0.tmp", b, 0, QStringLiteral("A"), 1), SaveResult::Failed);
    QCOMPARE(SaveBoard(dir.filePath("missing/dreb0.tmp"), b, 0, QStringLiteral("A"), 1), SaveResult::Failed);
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));

    // A full disk: the write fails part way (file size limit), old file stays.
    const QString f = dir.filePath("dreb0.tmp");
    QVERIFY(CreateBoard(f, b));
    const int status = inChildWithFileLimit(80, true, [&] {
        return SaveBoard(f, b, 0, QString(kMaxNameLength, 'L'), 7) == SaveResult::Saved;
    });
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 1);  // SaveBoard said false
    QCOMPARE(readAll(f), freshBytes());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"dreb0.tmp", "plain"}));

    if (geteuid() != 0) {  // permissions do not bind root
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(SaveBoard(f, b, 0, QStringLiteral("A"), 1), SaveResult::Failed);
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(readAll(f), freshBytes());
    }
}

void TestBoard::saveKeepsPermissions() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    Board b;
    QVERIFY(CreateBoard(f, b));
    const mode_t mask = umask(0);
    umask(mask);
    QCOMPARE(modeOf(f), 0666 & ~mask);  // a new board: as any new file
    QCOMPARE(chmod(QFile::encodeName(f).constData(), 0604), 0);
    QCOMPARE(SaveBoard(f, b, 0, QStringLiteral("A"), 1), SaveResult::Saved);
    QCOMPARE(modeOf(f), 0604);
    if (geteuid() == 0) {
        // Root may replace a board nobody may read; it stays so, and stays
        // its owner's.
        QCOMPARE(chmod(QFile::encodeName(f).constData(), 0), 0);
        QCOMPARE(chown(QFile::encodeName(f).constData(), kNobody, kNobody), 0);
        QVERIFY(ReadBoard(f, b));
        QCOMPARE(SaveBoard(f, b, 0, QStringLiteral("B"), 2), SaveResult::Saved);
        QCOMPARE(modeOf(f), 0);
        QCOMPARE(QFileInfo(f).ownerId(), uint(kNobody));
    }
}

// Two copies of the game save into one board at once, each from the board
// its window read before either saved: every entry is kept, in the order the
// rule gives. Many rounds, each with two processes started together.
void TestBoard::twoGamesSaveAtOnce() {
    QTemporaryDir dir;
    const QString f = dir.filePath("dreb0.tmp");
    QByteArray expected;
    for (int score = 1000; score >= 100; score -= 100)
        expected += "c" + QByteArray::number((score / 100 + 1) % 2) + "-" + QByteArray::number(score) + "," +
                    QByteArray::number(score) + "\r\n";
    for (int round = 0; round < 20; ++round) {
        QFile::remove(f);
        Board fresh;
        QVERIFY(CreateBoard(f, fresh));
        int go[2];
        QCOMPARE(pipe(go), 0);
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            children[c] = fork();
            if (children[c] != 0)
                continue;
            Board shown;
            char start;
            if (!ReadBoard(f, shown) || read(go[0], &start, 1) != 1)
                _exit(2);
            // Copy c saves 100 (c + 1), 100 (c + 3), ... up to 1000.
            for (int score = 100 * (c + 1); score <= 1000; score += 200) {
                const QString name = QStringLiteral("c%1-%2").arg(c).arg(score);
                SaveResult r = SaveResult::Failed;
                for (int tries = 0; tries < 50 && r == SaveResult::Failed; ++tries)
                    r = SaveBoard(f, shown, findPlace(shown, score), name, score);
                if (r != SaveResult::Saved)
                    _exit(1);
            }
            _exit(0);
        }
        QCOMPARE(write(go[1], "gg", 2), 2);
        close(go[0]);
        close(go[1]);
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
        }
        QCOMPARE(readAll(f), expected);
    }
}

// A save killed between writing and renaming leaves the old board and its
// new file behind. That file, and nothing that only looks like it, goes at
// the next start or save, but never while another copy of the game is saving.
void TestBoard::leftoversOfAKilledSave() {
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    const QString f = folder + "dreb0.tmp";
    Board b;
    QVERIFY(CreateBoard(f, b));
    auto killedSave = [&] {
        // Killed by the kernel (SIGXFSZ) after part of the new board is written.
        const int status = inChildWithFileLimit(80, false, [&] {
            return SaveBoard(f, b, 0, QString(kMaxNameLength, 'K'), 7) == SaveResult::Saved;
        });
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGXFSZ);
        QCOMPARE(readAll(f), freshBytes());
    };
    for (const char* name : {"dreb0.tmp.bak", "dreb0.tmp.abcdefg", "dreb0.tmpXabcdef", "dreb2.tmp.abcdef"})
        writeBytes(folder + name, "keep");
    QVERIFY(QDir(folder).mkdir("dreb0.tmp.Folder"));
    QVERIFY(QFile::link(folder + "dreb0.tmp.bak", folder + "dreb0.tmp.Linked"));
    const QStringList kept = entries(folder);
    killedSave();
    QCOMPARE(entries(folder).size(), kept.size() + 1);
    {
        platform::FolderLock saving(folder, 0);  // another copy of the game saves
        QVERIFY(saving.held());
        QCOMPARE(chooseBoardFolder(folder, BoardHome::ProgramFolder), folder);
        QCOMPARE(entries(folder).size(), kept.size() + 1);
        // Its lock is waited for a bounded time only; then the save fails.
        QCOMPARE(SaveBoard(f, b, 0, QStringLiteral("Ok"), 7), SaveResult::Failed);
    }
    QCOMPARE(chooseBoardFolder(folder, BoardHome::ProgramFolder), folder);
    QCOMPARE(entries(folder), kept);
    killedSave();  // the killed game held the lock: it went with it
    QCOMPARE(SaveBoard(f, b, 0, QStringLiteral("Ok"), 7), SaveResult::Saved);
    QCOMPARE(entries(folder), kept);
    QCOMPARE(readAll(f).left(6), QByteArray("Ok,7\r\n"));
}

void TestBoard::boardFolderChoice() {
    QStandardPaths::setTestModeEnabled(true);
    const QString data = userBoardFolder();
    QVERIFY(data.endsWith("/pellaro/"));
    QDir(data).removeRecursively();
    QTemporaryDir dir;
    const QString program = dir.path() + '/';

    // Next to the program when it may write there, told without a file.
    QCOMPARE(chooseBoardFolder(dir.path(), BoardHome::ProgramFolder), program);
    QCOMPARE(entries(program), QStringList());
    // An installed game: always the user's data folder, made when needed;
    // the program's folder is neither read nor written, boards or not.
    writeBytes(program + "dreb0.tmp", "Ann,50\r\n");
    QCOMPARE(chooseBoardFolder(program, BoardHome::UserData), data);
    QVERIFY(QFileInfo(data).isDir());
    QCOMPARE(entries(data), QStringList());
    QCOMPARE(entries(program), QStringList({"dreb0.tmp"}));
    // A program folder that cannot hold files: the user's data folder.
    writeBytes(program + "plain", "x");
    QCOMPARE(chooseBoardFolder(program + "plain/bin/", BoardHome::ProgramFolder), data);
    Board b;
    QVERIFY(CreateBoard(boardFileName(data, 1), b));
    QDir(data).removeRecursively();
    QStandardPaths::setTestModeEnabled(false);
    // The build option picks the home.
    QCOMPARE(builtBoardHome() == BoardHome::UserData, bool(PELLARO_EXPECT_BOARDS_IN_USER_DATA));
}

// A program folder that holds boards but may not be written (an install by
// the administrator, a board made read-only): the boards move to the user's
// data folder, a level without a board there starting from the program
// folder's, and nothing is written next to the program. Run as an ordinary
// user, since access rights do not bind root.
void TestBoard::readOnlyProgramFolderWithBoards() {
    QTemporaryDir dir;
    QCOMPARE(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString root = dir.path() + '/';
    for (const char* sub : {"bin", "bin2", "home", "home2"})
        QVERIFY(QDir(root).mkdir(sub));
    writeBytes(root + "bin/dreb0.tmp", "Ann,50\r\nBo,40\r\n");
    writeBytes(root + "bin2/dreb1.tmp", "Cy,30\r\n");
    QCOMPARE(chmod(QFile::encodeName(root + "bin").constData(), 0555), 0);   // folder read-only
    QCOMPARE(chmod(QFile::encodeName(root + "bin2").constData(), 0777), 0);  // board read-only
    QCOMPARE(chmod(QFile::encodeName(root + "bin2/dreb1.tmp").constData(), 0444), 0);
    for (const char* home : {"home", "home2"})
        QVERIFY(geteuid() != 0 || chown(QFile::encodeName(root + home).constData(), kNobody, kNobody) == 0);

    const int status = asOrdinaryUser([&] {
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "home"));
        const bool first = chooseBoardFolder(root + "bin/", BoardHome::ProgramFolder) == root + "home/pellaro/";
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "home2"));
        return first && chooseBoardFolder(root + "bin2/", BoardHome::ProgramFolder) == root + "home2/pellaro/";
    });
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readAll(root + "home/pellaro/dreb0.tmp"), "Ann,50\r\nBo,40\r\n" + QByteArray(",0\r\n").repeated(8));
    QCOMPARE(readAll(root + "home2/pellaro/dreb1.tmp"), "Cy,30\r\n" + QByteArray(",0\r\n").repeated(9));
    QCOMPARE(entries(root + "home/pellaro"), QStringList({"dreb0.tmp"}));
    QCOMPARE(entries(root + "bin"), QStringList({"dreb0.tmp"}));
    QCOMPARE(entries(root + "bin2"), QStringList({"dreb1.tmp"}));
    QCOMPARE(readAll(root + "bin/dreb0.tmp"), QByteArray("Ann,50\r\nBo,40\r\n"));
    QCOMPARE(chmod(QFile::encodeName(root + "bin").constData(), 0755), 0);  // so the folder can go
}

QTEST_GUILESS_MAIN(TestBoard)
#include "test_board.moc"
