#include "history/records.h"

#include <QLatin1String>

namespace history {

namespace {
struct EndingName {
    Ending ending;
    const char* name;
};
constexpr EndingName kEndingNames[] = {
    {Ending::Wrong, "wrong"},   {Ending::Time, "time"},     {Ending::Help, "help"},
    {Ending::Level, "level"},   {Ending::Restart, "restart"}, {Ending::Closed, "closed"},
    {Ending::Stopped, "stopped"},
};
}  // namespace

QString endingName(Ending ending)
{
    for (const EndingName& e : kEndingNames) {
        if (e.ending == ending)
            return QLatin1String(e.name);
    }
    return QString();
}

bool endingFromName(const QString& name, Ending& ending)
{
    for (const EndingName& e : kEndingNames) {
        if (name == QLatin1String(e.name)) {
            ending = e.ending;
            return true;
        }
    }
    return false;
}

}  // namespace history
