#include "history/records.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace history {

namespace {
// In the order of the enum.
const char* const kEndingNames[] = {"wrong", "time", "help", "level", "restart", "closed", "stopped"};
}  // namespace

QString endingName(Ending ending)
{
    return QLatin1String(kEndingNames[static_cast<int>(ending)]);
}

bool endingFromName(const QString& name, Ending& ending)
{
    const auto found = std::find(std::begin(kEndingNames), std::end(kEndingNames), name);
    if (found != std::end(kEndingNames))
        ending = static_cast<Ending>(found - std::begin(kEndingNames));
    return found != std::end(kEndingNames);
}

QString isoWithOffset(const QDateTime& time, bool milliseconds)
{
    if (!time.isValid())
        return QString();
    const int offset = time.offsetFromUtc();
    return time.toString(milliseconds ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                      : QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QString::asprintf("%c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 3600,
                             std::abs(offset) / 60 % 60);
}

}  // namespace history
