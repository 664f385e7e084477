// The program's command line. Qt's own options (-platform, -style, ...) are
// left to Qt; the game's options start with "--".
#pragma once

#include <string>
#include <vector>

namespace game {

struct CommandLine {
    enum class Action {
        Play,         // start the game
        Progress,     // open the parents' window on the play history
        ExportHistory,  // write the history's CSV files into `exportFolder`, no window
        ShowHelp,     // print helpText() and exit with 0
        ShowVersion,  // print the version and exit with 0
        Fail,         // print `error` and the usage line, exit with 2
        // The family's children, without a window: list them, add `child`
        // (with `picture`, or the first animal no child has yet), rename
        // `child` to `newName`, remove `child`, or give `child` `picture`.
        ListChildren,
        AddChild,
        RenameChild,
        RemoveChild,
        SetPicture,
        // Practice on (`practice` true) or off for `child`, or for the games
        // without a child when no child is named.
        Practice,
    };
    Action action = Action::Play;
    std::string error;
    // --zoom N: the whole game is shown N times larger (1 to 4, decimals
    // allowed), on top of any scaling the desktop already does.
    double zoom = 1.0;
    // --fullscreen, -f: the game fills the screen it opens on, at the largest
    // size that fits; --zoom then sets only the size of the ordinary window
    // that F11 switches to.
    bool fullScreen = false;
    // --keypad shows the on-screen keypad, in the window and full screen;
    // --no-keypad hides it, also full screen on a touch screen, where it
    // otherwise shows by itself. The last of them given counts.
    enum class Keypad { Auto, Shown, Hidden };
    Keypad keypad = Keypad::Auto;
    // --export-history DIR
    std::string exportFolder;
    // --child NAME: play as that child without asking who plays, or with
    // --export-history write that child's games only, or with --progress
    // show that child first. Also the child of --add-child, --rename-child,
    // --remove-child and --picture.
    std::string child;
    std::string newName;  // --rename-child OLD NEW
    std::string picture;  // --picture ANIMAL
    bool practice = false;  // --practice on|off
};

constexpr double kMinZoom = 1.0;
constexpr double kMaxZoom = 4.0;

// Reads the game's options from `args` (without the program name). Options
// it does not know are errors. Before Qt has taken out its own options
// ("-platform xcb", "-style fusion"), `beforeQt` is true and only the
// arguments that start with "--" (and -h) are judged, so that help, the
// version and a mistyped option are answered without a window system;
// afterwards every argument left must be one of the game's. The zoom is
// given as "--zoom N" or "--zoom=N"; a missing, malformed or out-of-range
// value is an error, never quietly mended.
CommandLine parseCommandLine(const std::vector<std::string>& args, bool beforeQt = false);

// The text of "pellaro --help".
std::string helpText();

// "pellaro <version>"
std::string versionText();

}  // namespace game
