#include "platform/system.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <random>

namespace platform {

namespace {
std::mt19937_64& generator()
{
    static std::mt19937_64 gen(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    return gen;
}

struct FixedSequence {
    std::vector<double> values;
    std::size_t next = 0;
};
FixedSequence& fixedSequence()
{
    static FixedSequence seq;
    return seq;
}
}  // namespace

void Sleep(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void DoEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

double Rnd()
{
    FixedSequence& seq = fixedSequence();
    if (!seq.values.empty()) {
        const double v = seq.values[seq.next % seq.values.size()];
        ++seq.next;
        return v;
    }
    // 53 random bits give every double in [0, 1) on an even grid.
    return static_cast<double>(generator()() >> 11) * (1.0 / 9007199254740992.0);
}

void Randomize()
{
    if (!fixedSequence().values.empty())
        return;
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    generator().seed(static_cast<std::uint64_t>(now));
}

void setRandomSequence(std::vector<double> values)
{
    fixedSequence().values = std::move(values);
    fixedSequence().next = 0;
}

}  // namespace platform
