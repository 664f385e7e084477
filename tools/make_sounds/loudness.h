// How loud a sound is, measured the way broadcast audio measures it: the
// integrated loudness of ITU-R BS.1770-4 (the measure EBU R128 uses), in
// LUFS. The sound builder sets each sound's gain with it and the sound tests
// check the balance of the embedded sounds with it, so that a wrong entry
// never sounds louder than a right one.
//
// The measure: each channel is K-weighted (a high shelf of about +4 dB above
// 1.5 kHz, then a high-pass at about 38 Hz; both filters designed for the
// sound's own sample rate from their analog prototypes), its mean square is
// taken over blocks of 400 ms that overlap by 75 %, the channels' mean squares
// are added, and the blocks quieter than -70 LUFS (absolute gate) and then
// those more than 10 LU below the loudness of the rest (relative gate) are
// left out of the average. A sound shorter than one block is measured as one
// block spanning the whole sound.
#pragma once

#include <vector>

namespace loudness {

// Integrated loudness in LUFS of a sound whose channels (of equal length,
// samples in -1..1) are `channels`, at `rate` samples a second. Silence, or a
// sound with no block above the absolute gate, gives minus infinity.
double integrated(const std::vector<std::vector<double>>& channels, int rate);

// The largest magnitude of any sample of any channel.
double peak(const std::vector<std::vector<double>>& channels);

}  // namespace loudness
