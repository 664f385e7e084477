// Tells when something has been drawn: for the benchmarks and the start-up
// marks, which time a window from a moment to its first frame.
#pragma once

#include <functional>

class QObject;

namespace platform {

// Runs `done` once, after `target` (a widget or a native window) next
// paints: at the end of the event loop's pass that handled its first paint,
// update request or expose from now on, so that what was painted has been
// handed to the window system.
void afterNextPaint(QObject* target, std::function<void()> done);

}  // namespace platform
