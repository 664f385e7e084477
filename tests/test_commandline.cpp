// The command line: --zoom with its number, the history's options, the
// keypad's, and what is refused.
#include <QtTest>

#include <string>
#include <vector>

#include "game/commandline.h"

using game::CommandLine;
using Args = std::vector<std::string>;
Q_DECLARE_METATYPE(Args)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void zoom_data()
    {
        QTest::addColumn<Args>("args");
        QTest::addColumn<bool>("beforeQt");
        QTest::addColumn<double>("zoom");  // 0: refused
        QTest::newRow("none") << Args{} << false << 1.0;
        QTest::newRow("two") << Args{"--zoom", "2"} << false << 2.0;
        QTest::newRow("with =") << Args{"--zoom=1.5"} << false << 1.5;
        QTest::newRow("ends") << Args{"--zoom", "1", "--zoom", "4"} << false << 4.0;
        QTest::newRow("two places") << Args{"--zoom", "1.25"} << false << 1.25;
        QTest::newRow("among Qt's options") << Args{"-platform", "xcb", "--zoom", "3"} << true << 3.0;
        QTest::newRow("no number") << Args{"--zoom"} << false << 0.0;
        QTest::newRow("empty") << Args{"--zoom="} << false << 0.0;
        QTest::newRow("too small") << Args{"--zoom", "0.5"} << false << 0.0;
        QTest::newRow("too large") << Args{"--zoom", "4.01"} << false << 0.0;
        QTest::newRow("negative") << Args{"--zoom", "-2"} << true << 0.0;
        QTest::newRow("decimal comma") << Args{"--zoom", "1,5"} << false << 0.0;
        QTest::newRow("exponent") << Args{"--zoom", "2e0"} << false << 0.0;
        QTest::newRow("words") << Args{"--zoom", "big"} << false << 0.0;
        QTest::newRow("not a number") << Args{"--zoom", "nan"} << false << 0.0;
        QTest::newRow("two points") << Args{"--zoom", "1.2.3"} << false << 0.0;
        QTest::newRow("blank") << Args{"--zoom", " 2"} << false << 0.0;
    }
    void zoom()
    {
        QFETCH(Args, args);
        QFETCH(bool, beforeQt);
        QFETCH(double, zoom);
        const CommandLine line = game::parseCommandLine(args, beforeQt);
        if (zoom > 0) {
            QCOMPARE(line.action, CommandLine::Action::Play);
            QCOMPARE(line.zoom, zoom);
        } else {
            QCOMPARE(line.action, CommandLine::Action::Fail);
            QVERIFY2(line.error.find("--zoom") != std::string::npos, line.error.c_str());
        }
    }

    void helpTellsOfTheZoom()
    {
        QVERIFY(game::helpText().find("--zoom N") != std::string::npos);
        // Help still wins over a zoom given before it.
        QCOMPARE(game::parseCommandLine({"--zoom", "2", "--help"}).action, CommandLine::Action::ShowHelp);
    }

    // The parents' window and the export without a window.
    void historyOptions_data()
    {
        QTest::addColumn<Args>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("folder");
        const int progress = int(CommandLine::Action::Progress);
        const int exportHistory = int(CommandLine::Action::ExportHistory);
        const int fail = int(CommandLine::Action::Fail);
        QTest::newRow("progress") << Args{"--progress"} << progress << QString();
        QTest::newRow("export") << Args{"--export-history", "/tmp/a b"} << exportHistory << "/tmp/a b";
        QTest::newRow("export with =") << Args{"--export-history=out"} << exportHistory << "out";
        QTest::newRow("export, no folder") << Args{"--export-history"} << fail << QString();
        QTest::newRow("export, empty folder") << Args{"--export-history="} << fail << QString();
    }
    void historyOptions()
    {
        QFETCH(Args, args);
        QFETCH(int, action);
        QFETCH(QString, folder);
        const CommandLine line = game::parseCommandLine(args);
        QCOMPARE(int(line.action), action);
        if (line.action == CommandLine::Action::ExportHistory)
            QCOMPARE(QString::fromStdString(line.exportFolder), folder);
        if (line.action == CommandLine::Action::Fail)
            QVERIFY2(line.error.find("--export-history") != std::string::npos, line.error.c_str());
        for (const char* option : {"--progress", "--export-history DIR"})
            QVERIFY2(game::helpText().find(option) != std::string::npos, option);
    }

    void keypadOptions()
    {
        using Keypad = CommandLine::Keypad;
        QCOMPARE(game::parseCommandLine({}).keypad, Keypad::Auto);
        QCOMPARE(game::parseCommandLine({"--keypad", "-f"}).keypad, Keypad::Shown);
        QCOMPARE(game::parseCommandLine({"--no-keypad"}, true).keypad, Keypad::Hidden);
        // The last one counts.
        QCOMPARE(game::parseCommandLine({"--keypad", "--no-keypad"}).keypad, Keypad::Hidden);
        QCOMPARE(game::parseCommandLine({"--keypads"}).action, CommandLine::Action::Fail);
        for (const char* option : {"--keypad", "--no-keypad"})
            QVERIFY2(game::helpText().find(option) != std::string::npos, option);
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
