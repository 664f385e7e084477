#include "history/records.h"

#include <QLatin1String>

#include <cstdlib>

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

QString isoWithOffset(const QDateTime& time, bool milliseconds)
{
    if (!time.isValid())
        return QString();
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(milliseconds ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                      : QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace history
