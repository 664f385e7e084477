// The children's commands of the real program: what they change, and the
// names and animals they refuse without changing anything.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
};

}  // namespace

class TestChildrenCommands : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(data_.isValid());
        QDir(data_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(data_.path()));
        QCOMPARE(pellaro({"--add-child", "小明", "--picture", "panda"}).code, 0);
        QCOMPARE(pellaro({"--add-child", " Lily "}).code, 0);
    }

    void changes()
    {
        QCOMPARE(pellaro({"--children"}).out, QStringLiteral("小明\tpanda\nLily\tlamb\n"));
        QCOMPARE(pellaro({"--rename-child", "lily", "莉莉"}).code, 0);
        QCOMPARE(pellaro({"--child", "莉莉", "--picture", "小兔"}).code, 0);
        QCOMPARE(pellaro({"--children"}).out, QStringLiteral("小明\tpanda\n莉莉\trabbit\n"));
        QCOMPARE(pellaro({"--remove-child", "小明"}).code, 0);
        QCOMPARE(pellaro({"--children"}).out, QStringLiteral("莉莉\trabbit\n"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");  // found in what is printed on standard error
        QTest::newRow("taken") << QStringList{"--add-child", "LILY"} << 2 << "the children are: 小明, Lily";
        QTest::newRow("empty") << QStringList{"--add-child", "  "} << 2 << "cannot be empty";
        QTest::newRow("too long") << QStringList{"--add-child", QString(17, QChar(0x732b))} << 2 << "longer than 16";
        QTest::newRow("unknown animal") << QStringList{"--add-child", "Bo", "--picture", "dragon"} << 2
                                        << "lamb, cat, dog, rabbit, panda, duck, pig, bear";
        QTest::newRow("rename unknown") << QStringList{"--rename-child", "Bo", "Ann"} << 2 << "the children are";
        QTest::newRow("rename to taken") << QStringList{"--rename-child", "小明", "lily"} << 2 << "already";
        QTest::newRow("rename to empty") << QStringList{"--rename-child", "小明", ""} << 2 << "cannot be empty";
        QTest::newRow("remove unknown") << QStringList{"--remove-child", "Bo"} << 2 << "no child named 'Bo'";
        QTest::newRow("picture, unknown child") << QStringList{"--child", "Bo", "--picture", "cat"} << 2 << "'Bo'";
        QTest::newRow("picture, unknown animal") << QStringList{"--child", "小明", "--picture", "x"} << 2 << "'x'";
        QTest::newRow("play as unknown") << QStringList{"--child", "Bo"} << 2 << "the children are: 小明, Lily";
        QTest::newRow("export unknown") << QStringList{"--export-history", data_.path(), "--child", "Bo"} << 2
                                        << "no child named";
        QTest::newRow("two at once") << QStringList{"--add-child", "A", "--remove-child", "B"} << 2 << "one change";
        QTest::newRow("picture alone") << QStringList{"--picture", "cat"} << 2 << "'--picture' goes with";
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, says);
        const QString before = pellaro({"--children"}).out;
        const Run run = pellaro(args);
        QCOMPARE(run.code, code);
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
        QCOMPARE(pellaro({"--children"}).out, before);
    }

    void aHistoryThatCannotBeWritten()
    {
        // A folder where the file should be: nothing can be kept.
        QDir(data_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(data_.filePath(QStringLiteral("pellaro/history.sqlite"))));
        const Run run = pellaro({"--add-child", "Bo"});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QStringLiteral("cannot be written")), qPrintable(run.err));
    }

private:
    Run pellaro(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), data_.path());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PELLARO_PROGRAM), args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir data_;
};

QTEST_GUILESS_MAIN(TestChildrenCommands)
#include "test_children_commands.moc"
