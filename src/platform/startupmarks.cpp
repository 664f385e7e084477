#include "platform/startupmarks.h"

#include "platform/firstpaint.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <cstdio>

namespace platform {

namespace {

struct Marks {
    bool on = false;
    QElapsedTimer sinceMain;
    double processStartMs = -1;  // on the monotonic clock, from startup_clock
};

Marks& marks()
{
    static Marks m;
    return m;
}

}  // namespace

void beginStartupMarks()
{
    Marks& m = marks();
    m.on = qEnvironmentVariableIsSet("PELLARO_MEASURE_STARTUP");
    if (!m.on)
        return;
    m.sinceMain.start();
    bool given = false;
    const double start = qEnvironmentVariable("STARTUP_CLOCK_START_MS").toDouble(&given);
    if (given)
        m.processStartMs = start;
}

void startupMark(const char* what)
{
    const Marks& m = marks();
    if (!m.on)
        return;
    const double sinceMain = static_cast<double>(m.sinceMain.nsecsElapsed()) / 1e6;
    if (m.processStartMs >= 0) {
        const double mainAt = static_cast<double>(m.sinceMain.msecsSinceReference()) - m.processStartMs;
        std::fprintf(stderr, "pellaro start-up: %7.2f ms since main, %7.2f ms since start: %s\n", sinceMain,
                     mainAt + sinceMain, what);
    } else {
        std::fprintf(stderr, "pellaro start-up: %7.2f ms since main: %s\n", sinceMain, what);
    }
}

void markFirstFrame(QWidget* window)
{
    if (!marks().on || !window)
        return;
    afterNextPaint(window, [] { startupMark("first frame drawn"); });
}

}  // namespace platform
