// Where start-up time goes: with PELLARO_MEASURE_STARTUP=1 in the
// environment the program writes a line to standard error at each step from
// main() to its first painted window, with the milliseconds since main()
// began and, when started by tools/startup_clock (which hands over its clock
// in STARTUP_CLOCK_START_MS), since the process was started. Without the
// variable each mark costs one test of a flag.
#pragma once

class QWidget;

namespace platform {

// Takes the time main() began; call it first thing in main().
void beginStartupMarks();

// Writes the step `what` with the time, when measuring.
void startupMark(const char* what);

// When measuring: marks the end of the first frame `window` paints.
void markFirstFrame(QWidget* window);

}  // namespace platform
