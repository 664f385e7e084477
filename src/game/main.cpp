// Pellaro: a mental-arithmetic game for young children.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QIcon>
#include <QTimer>
#include <QWindow>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "assets/animals.h"
#include "assets/catalogue.h"
#include "game/commandline.h"
#include "game/form1.h"
#include "game/fullscreen.h"
#include "children/commands.h"
#include "children/whoisplaying.h"
#include "history/family.h"
#include "history/csvexport.h"
#include "parents/progresswindow.h"
#include "history/store.h"
#include "platform/shutdown.h"
#include "platform/stage.h"
#include "platform/sound.h"
#include "platform/startupmarks.h"

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// Answers --help and --version, or reports a bad command line. Returns the
// exit code, or -1 when the game should start.
int answerCommandLine(const game::CommandLine& line)
{
    switch (line.action) {
    case game::CommandLine::Action::Play:
    case game::CommandLine::Action::Progress:
    case game::CommandLine::Action::ExportHistory:
    case game::CommandLine::Action::ListChildren:
    case game::CommandLine::Action::AddChild:
    case game::CommandLine::Action::RenameChild:
    case game::CommandLine::Action::RemoveChild:
    case game::CommandLine::Action::SetPicture:
    case game::CommandLine::Action::Practice:
        return -1;
    case game::CommandLine::Action::ShowHelp:
        std::fputs(game::helpText().c_str(), stdout);
        return 0;
    case game::CommandLine::Action::ShowVersion:
        std::fputs(game::versionText().c_str(), stdout);
        return 0;
    case game::CommandLine::Action::Fail:
        break;
    }
    std::fprintf(stderr, "pellaro: %s\nTry 'pellaro --help' for more information.\n", line.error.c_str());
    return 2;
}

// Shows the game `zoom` times larger by asking Qt for that scale factor. Qt
// multiplies it with the screen's own factor (the desktop's scaling, from
// Xft.dpi or QT_SCREEN_SCALE_FACTORS), and a QT_SCALE_FACTOR the user set
// is multiplied in here, so --zoom 2 on a desktop scaling by 1.5 gives 3.
// Every picture is then drawn from its source at that ratio.
void applyZoom(double zoom)
{
    if (zoom == 1.0)
        return;
    bool given = false;
    const double asked = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
    const double factor = given && asked > 0.0 ? asked * zoom : zoom;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'g', 12));
}

// The children's command that `action` is, if any.
std::optional<children::Command> childrenCommand(game::CommandLine::Action action)
{
    using A = game::CommandLine::Action;
    switch (action) {
    case A::ListChildren: return children::Command::List;
    case A::AddChild: return children::Command::Add;
    case A::RenameChild: return children::Command::Rename;
    case A::RemoveChild: return children::Command::Remove;
    case A::SetPicture: return children::Command::SetPicture;
    case A::Practice: return children::Command::PracticeOn;
    default: return std::nullopt;
    }
}

// pellaro --export-history DIR [--child NAME]: the play history (of one
// child) as two CSV files, without a window. The history is only read.
int exportHistory(const QString& folder, const QString& childName)
{
    if (!QDir(folder).exists()) {
        std::fprintf(stderr, "pellaro: there is no folder '%s' to export the play history into\n",
                     qPrintable(folder));
        return 1;
    }
    const history::Family family = history::readFamily(history::Store::defaultPath());
    const history::Child* child = childName.isEmpty() ? nullptr : family.find(childName);
    if (!childName.isEmpty() && !child) {
        std::fprintf(stderr, "pellaro: %s\n", qPrintable(children::unknownChildText(childName, family)));
        return 2;
    }
    history::Store store;
    if (!store.open()) {
        std::fprintf(stderr, "pellaro: the play history %s cannot be read: %s\n",
                     qPrintable(store.path()), qPrintable(store.problemText()));
        return 1;
    }
    std::vector<history::Game> games = store.loadAll();
    if (child)
        games.erase(std::remove_if(games.begin(), games.end(),
                                   [child](const history::Game& g) { return g.childId != child->id; }),
                    games.end());
    QString error;
    if (!history::exportCsv(games, family, folder, &error)) {
        std::fprintf(stderr, "pellaro: %s\n", qPrintable(error));
        return 1;
    }
    const QDir dir(folder);
    std::printf("pellaro: %zu games written to %s and %s\n", games.size(),
                qPrintable(dir.filePath(QString::fromLatin1(history::kGamesCsvName))),
                qPrintable(dir.filePath(QString::fromLatin1(history::kAnswersCsvName))));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    platform::beginStartupMarks();
    // Help, the version and a mistyped option need no display, so they are
    // answered before Qt starts.
    const game::CommandLine line = game::parseCommandLine(argumentsOf(argc, argv), true);
    if (const int exitCode = answerCommandLine(line); exitCode >= 0)
        return exitCode;
    if (line.action == game::CommandLine::Action::ExportHistory) {
        QCoreApplication app(argc, argv);
        return exportHistory(QString::fromStdString(line.exportFolder), QString::fromLocal8Bit(line.child));
    }
    if (auto command = childrenCommand(line.action)) {
        if (*command == children::Command::PracticeOn && !line.practice)
            command = children::Command::PracticeOff;
        QCoreApplication app(argc, argv);
        return children::runCommand(*command, history::Store::defaultPath(), QString::fromLocal8Bit(line.child),
                                    QString::fromLocal8Bit(line.newName), QString::fromLocal8Bit(line.picture));
    }
    applyZoom(line.zoom);

    // Before Qt starts its threads: this sets environment variables.
    platform::nameSoundClient("Pellaro", PELLARO_APP_ID);

    platform::startupMark("before QApplication");
    QApplication app(argc, argv);
    platform::startupMark("QApplication made");
    QApplication::setApplicationName(QStringLiteral("pellaro"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(PELLARO_APP_ID));
    QApplication::setApplicationVersion(QStringLiteral(PELLARO_VERSION));

    // QApplication has taken out its own options; what is left is ours.
    const game::CommandLine options = game::parseCommandLine(argumentsOf(argc, argv));
    if (const int exitCode = answerCommandLine(options); exitCode >= 0)
        return exitCode;

    // The parents' window opens instead of the game, at the same zoom.
    if (options.action == game::CommandLine::Action::Progress
        || line.action == game::CommandLine::Action::Progress)
        return history::showProgressWindow();

    // Who is playing, when the family has added children: read from the
    // history on a thread of its own while the main window is built.
    // The children's pictures are drawn there too, for a plain window.
    const double ratio = app.devicePixelRatio();
    std::future<history::Family> familyRead = std::async(std::launch::async, [ratio] {
        history::Family family = history::readFamily(history::Store::defaultPath());
        if (!family.children.empty()) {
            const int pixels = static_cast<int>(
                std::lround(children::WhoIsPlaying::pictureSize(static_cast<int>(family.children.size())) * ratio));
            for (const history::Child& c : family.children)
                assets::animalPicture(c.animal, pixels);
            assets::animalPicture(assets::kVisitorPicture, pixels);
        }
        return family;
    });

    int result = 0;
    {
        Form1 form;
        platform::startupMark("main window made");
        form.Form_Load();
        platform::startupMark("main window loaded");
        const history::Family family = familyRead.get();
        // The games of no child (another child, or a family without
        // children) practise when the parents said so for them.
        form.practiceOn = family.practiceForOthers;
        platform::startupMark("family read");
        const QString asked = QString::fromLocal8Bit(options.child.empty() ? line.child : options.child);
        if (!asked.isEmpty()) {
            const history::Child* child = family.find(asked);
            if (!child) {
                std::fprintf(stderr, "pellaro: %s\n", qPrintable(children::unknownChildText(asked, family)));
                return 2;
            }
            form.setChild(*child);
        }
        // With children and no child named, the first window asks who plays
        // and then gives way to the game.
        std::unique_ptr<children::WhoIsPlaying> picker;
        if (!family.children.empty() && asked.isEmpty()) {
            std::vector<children::WhoIsPlaying::Child> players;
            for (const history::Child& c : family.children)
                players.push_back({c.name, c.animal});
            picker = std::make_unique<children::WhoIsPlaying>(players);
        }
        QWidget* first = picker ? static_cast<QWidget*>(picker.get()) : &form;
        platform::markFirstFrame(first);
        // The on-screen keypad: asked for, refused, the family's setting, or
        // by itself full screen on a touch screen.
        game::KeypadRule keypad;
        keypad.asked = options.keypad == game::CommandLine::Keypad::Shown;
        keypad.refused = options.keypad == game::CommandLine::Keypad::Hidden;
        keypad.keypadAlways = family.keypadAlways;
        keypad.touchScreen = game::hasTouchScreen();
        form.showKeypad(keypad.shows(false, false));
        // F11 switches between full screen and the window at any time.
        game::FullScreen fullScreen(first, keypad);
        if (picker) {
            QObject::connect(picker.get(), &children::WhoIsPlaying::chosen, &form,
                             [&form, &fullScreen, &family](int index) {
                                 platform::startupMark("child chosen");
                                 if (index >= 0)
                                     form.setChild(family.children[static_cast<std::size_t>(index)]);
                                 // Once the key or click that chose is handled:
                                 // the stage it came through may go.
                                 QTimer::singleShot(0, &form, [&form, &fullScreen] {
                                     platform::markFirstFrame(&form);
                                     fullScreen.switchTo(&form);
                                 });
                             });
            platform::onEndRequest(picker.get(), [&form] {
                form.closeAllWindows();
                QApplication::quit();
            });
        }
        if (options.fullScreen || line.fullScreen)
            fullScreen.enter();
        else
            first->show();
        platform::startupMark("shown");
        // What the first frame does not need comes once it is on its way.
        QTimer::singleShot(0, &form, [] { platform::preloadSound(); });
        // So does the window's icon at every size (reading the larger ones
        // would hold up the window): a taskbar on a scaled screen shows it
        // sharp, and full screen passes it on.
        QTimer::singleShot(0, &form, [&form] {
            const QIcon icon = assets::windowIcon();
            form.setWindowIcon(icon);
            if (QWindow* shown = vb::shownIn(&form))
                shown->setIcon(icon);
        });
        // scripts/bench_keypad.sh: how soon a key press is on the screen.
        if (qEnvironmentVariableIsSet("PELLARO_MEASURE_KEYS"))
            game::measureKeyLatency(&form, form.LabRes);
        // scripts/bench_fullscreen.sh: how long switching takes.
        if (const int times = qEnvironmentVariableIntValue("PELLARO_MEASURE_SWITCHING"); times > 0)
            fullScreen.measureSwitching(times);
        // Logout, shutdown, Ctrl+C or the window destroyed by another program
        // end the game as its close box does, even while the leaderboard or
        // help window is open.
        platform::onEndRequest(&form, [&form] {
            form.closeAllWindows();
            QApplication::quit();
        });
        platform::startupMark("event loop");
        result = QApplication::exec();
    }
    platform::shutdownSound();
    return result;
}
