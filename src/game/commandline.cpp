#include "game/commandline.h"

#ifndef PELLARO_VERSION
#error "PELLARO_VERSION must be defined by the build"
#endif
#ifndef PELLARO_BOARDS_IN_USER_DATA
#define PELLARO_BOARDS_IN_USER_DATA 0
#endif

namespace game {

namespace {

bool isHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }
bool isVersion(const std::string& arg) { return arg == "--version"; }

// A plain decimal number ("2", "1.5", "1.25"): digits with at most one point,
// read without the locale, which may want a decimal comma once Qt has set it.
bool parseDecimal(const std::string& text, double& value)
{
    if (text.empty() || text.size() > 16 || text == ".")
        return false;
    double v = 0.0, place = 1.0;
    bool point = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (point)
                v += (c - '0') * (place /= 10.0);
            else
                v = v * 10.0 + (c - '0');
        } else {
            return false;
        }
    }
    value = v;
    return true;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args, bool beforeQt)
{
    CommandLine line;
    const auto fail = [&line](const std::string& error) {
        line.action = CommandLine::Action::Fail;
        line.error = error;
        return line;
    };
    // The children's commands are one at a time, and none goes with playing.
    const auto command = [&line](CommandLine::Action action) {
        const bool first = line.action == CommandLine::Action::Play;
        line.action = action;
        return first;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (beforeQt && arg.rfind("--", 0) != 0 && !isHelp(arg))
            continue;  // perhaps one of Qt's options or its value
        if (isHelp(arg)) {
            line.action = CommandLine::Action::ShowHelp;
            return line;
        }
        if (isVersion(arg)) {
            line.action = CommandLine::Action::ShowVersion;
            return line;
        }
        // "--name VALUE" or "--name=VALUE": true when `arg` is that option,
        // with its value in `value`; a missing value leaves `missing` set.
        bool missing = false;
        const auto option = [&](const char* name, std::string& value) {
            const std::string n(name);
            if (arg == n) {
                missing = i + 1 == args.size();
                value = missing ? std::string() : args[++i];
                return true;
            }
            if (arg.rfind(n + "=", 0) == 0) {
                value = arg.substr(n.size() + 1);
                return true;
            }
            return false;
        };
        std::string value;
        if (arg == "--fullscreen" || arg == "-f") {
            line.fullScreen = true;
        } else if (arg == "--keypad" || arg == "--no-keypad") {
            line.keypad = arg == "--keypad" ? CommandLine::Keypad::Shown : CommandLine::Keypad::Hidden;
        } else if (arg == "--progress") {
            line.action = CommandLine::Action::Progress;
        } else if (option("--export-history", line.exportFolder)) {
            if (line.exportFolder.empty())
                return fail("option '--export-history' needs a folder");
            line.action = CommandLine::Action::ExportHistory;
        } else if (option("--zoom", value)) {
            if (missing)
                return fail("option '--zoom' needs a number from 1 to 4");
            if (!parseDecimal(value, line.zoom) || line.zoom < kMinZoom || line.zoom > kMaxZoom)
                return fail("--zoom takes a number from 1 to 4, such as 2 or 1.5, not '" + value + "'");
        } else if (arg == "--children") {
            if (!command(CommandLine::Action::ListChildren))
                return fail("'--children' goes alone");
        } else if (option("--child", line.child)) {
            if (missing)
                return fail("option '--child' needs a child's name");
        } else if (option("--picture", line.picture)) {
            if (missing)
                return fail("option '--picture' needs an animal");
        } else if (option("--add-child", line.child) || option("--remove-child", line.child)) {
            if (missing)
                return fail("option '" + arg + "' needs a child's name");
            if (!command(arg.rfind("--add-child", 0) == 0 ? CommandLine::Action::AddChild
                                                          : CommandLine::Action::RemoveChild))
                return fail("one change to the children at a time");
        } else if (option("--practice", value)) {
            if (value != "on" && value != "off")
                return fail("option '--practice' takes 'on' or 'off'");
            line.practice = value == "on";
            if (!command(CommandLine::Action::Practice))
                return fail("one change to the children at a time");
        } else if (arg == "--rename-child") {
            if (i + 2 >= args.size())
                return fail("option '--rename-child' needs the old name and the new one");
            line.child = args[++i];
            line.newName = args[++i];
            if (!command(CommandLine::Action::RenameChild))
                return fail("one change to the children at a time");
        } else {
            return fail(arg.rfind('-', 0) == 0 ? "unknown option '" + arg + "'"
                                               : "unexpected argument '" + arg + "'");
        }
    }
    // A picture given to a child named with --child changes that child's.
    if (!line.picture.empty() && line.action != CommandLine::Action::AddChild) {
        if (line.action != CommandLine::Action::Play || line.child.empty())
            return fail("'--picture' goes with '--add-child NAME' or '--child NAME'");
        line.action = CommandLine::Action::SetPicture;
    }
    return line;
}

std::string helpText()
{
    return "Usage: pellaro [OPTION]...\n"
           "A mental-arithmetic game for young children: add the goods on the scale\n"
           "to the total on the wooden sign and type the new total.\n"
           "\n"
           "  -f, --fullscreen  fill the screen with the game, as large as it fits,\n"
           "                    with the meadow going on around it; F11 switches between\n"
           "                    full screen and the window at any time. Full screen\n"
           "                    picks its own size and ignores --zoom, which sets the\n"
           "                    size of the window only\n"
           "      --keypad      show big digit keys beside the game, to play by touch or\n"
           "                    with the mouse alone; in full screen they show by\n"
           "                    themselves when the computer has a touch screen, and\n"
           "                    once shown they stay through F11\n"
           "      --no-keypad   never show the digit keys, not even on a touch screen\n"
           "      --zoom N      show the game's window N times larger, equally sharp (N\n"
           "                    from 1 to 4, such as 2 or 1.5), for a big screen or a TV\n"
           "                    whose desktop does not scale; on a desktop that does, the\n"
           "                    two multiply\n"
           "      --progress    open the parents' window: how the child is doing, from\n"
           "                    the play history (scores, speed, the sums that are\n"
           "                    still hard, a practice calendar)\n"
           "      --export-history DIR\n"
           "                    write the play history into DIR as two CSV files,\n"
           "                    pellaro-games.csv and pellaro-answers.csv, and exit;\n"
           "                    with --child NAME only that child's games\n"
           "\n"
           "Children of their own (brothers and sisters on one computer): once a child\n"
           "is added, the game first asks who is playing, and keeps each child's games\n"
           "apart. These change nothing else and need no window:\n"
           "      --children    list the children, one a line (name, then picture)\n"
           "      --add-child NAME [--picture ANIMAL]\n"
           "                    add a child (1 to 16 characters); ANIMAL is one of lamb,\n"
           "                    cat, dog, rabbit, panda, duck, pig, bear (by default the\n"
           "                    first that no child has yet)\n"
           "      --rename-child OLD NEW\n"
           "                    give a child a new name\n"
           "      --child NAME --picture ANIMAL\n"
           "                    give a child another picture\n"
           "      --remove-child NAME\n"
           "                    remove a child; their games stay, under \"other children\"\n"
           "      --practice on|off [--child NAME]\n"
           "                    the lamb brings more of the sums this child (or, without\n"
           "                    --child, a player who is none of the children) finds\n"
           "                    hard, chosen from their own games; off by default\n"
           "      --child NAME  start the game as that child, without asking who plays\n"
           "                    (for a desktop shortcut of each child's own); with\n"
           "                    --progress, show that child first\n"
           "  -h, --help        show this help and exit\n"
           "      --version     show the version and exit\n"
           "\n"
#if PELLARO_BOARDS_IN_USER_DATA
           "The best ten scores of each level are kept in dreb0.tmp and dreb1.tmp in\n"
           "$XDG_DATA_HOME/pellaro (by default ~/.local/share/pellaro).\n"
#else
           "The best ten scores of each level are kept in dreb0.tmp and dreb1.tmp next\n"
           "to the program when it may write there, otherwise in $XDG_DATA_HOME/pellaro\n"
           "(by default ~/.local/share/pellaro).\n"
#endif
           "Every game is kept in the play history, $XDG_DATA_HOME/pellaro/history.sqlite,\n"
           "which --progress shows and --export-history writes out. A name that is not\n"
           "a child's, or taken, empty or too long, or an unknown animal, changes\n"
           "nothing and exits with 2; a history that cannot be written exits with 1.\n";
}

std::string versionText()
{
    return std::string("pellaro ") + PELLARO_VERSION + "\n";
}

}  // namespace game
