#include "game/commandline.h"

#ifndef PELLARO_VERSION
#error "PELLARO_VERSION must be defined by the build"
#endif

namespace game {

namespace {

bool isHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }
bool isVersion(const std::string& arg) { return arg == "--version"; }

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args, bool beforeQt)
{
    CommandLine line;
    for (const std::string& arg : args) {
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
        line.action = CommandLine::Action::Fail;
        line.error = arg.rfind('-', 0) == 0 ? "unknown option '" + arg + "'"
                                            : "unexpected argument '" + arg + "'";
        return line;
    }
    return line;
}

std::string helpText()
{
    return "Usage: pellaro [OPTION]\n"
           "A mental-arithmetic game for young children: add the goods on the scale\n"
           "to the total on the wooden sign and type the new total.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "The best ten scores of each level are kept in dreb0.tmp and dreb1.tmp.\n";
}

std::string versionText()
{
    return std::string("pellaro ") + PELLARO_VERSION + "\n";
}

}  // namespace game
