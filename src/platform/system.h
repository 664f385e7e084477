// Small system services of a classic desktop toolkit: a blocking pause, a
// yield to the event loop, a clock-seeded random generator and screen units.
#pragma once

#include <vector>

namespace platform {

// Blocks the user-interface thread for `ms` milliseconds. Nothing runs and
// nothing repaints meanwhile; events that arrive wait until the caller returns.
void Sleep(int ms);

// Handles every window event that is pending once, then returns.
void DoEvents();

// A uniform pseudo-random number in [0, 1).
double Rnd();

// Re-seeds the generator from the system clock.
void Randomize();

// Test seam: from now on Rnd() returns these values in turn (cycling), and
// Randomize() leaves the sequence alone. An empty vector restores the real
// generator.
void setRandomSequence(std::vector<double> values);

// Screen positions of windows are given in twips, 15 to the pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

}  // namespace platform
