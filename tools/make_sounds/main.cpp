// make_sounds <out-dir>
//
// Synthesises the game's five sounds and writes them as RIFF WAVE files
// <out-dir>/101.wav .. 105.wav through libsndfile. The formats and exact
// lengths are fixed because the game's timing and the resource catalogue rely
// on them; the sounds themselves are made from sine partials, shaped noise and
// envelopes. The output is deterministic: the only noise source is a
// fixed-seed generator.
#include <sndfile.h>

#include "loudness.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Buffer = std::vector<double>;

// xorshift64*: a small generator whose sequence depends on the seed alone.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    // Uniform in [-1, 1).
    double next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        const std::uint64_t r = state_ * 0x2545F4914F6CDD1Dull;
        return static_cast<double>(r >> 11) * (2.0 / 9007199254740992.0) - 1.0;
    }

private:
    std::uint64_t state_;
};

double seconds(std::size_t i) { return static_cast<double>(i) / kRate; }

std::size_t sampleAt(double t) { return static_cast<std::size_t>(std::lround(std::max(0.0, t) * kRate)); }

// Smooth 0 -> 1 ramp over [0, len] (raised cosine), 1 afterwards.
double rampUp(double t, double len)
{
    if (t <= 0.0)
        return 0.0;
    if (t >= len)
        return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * t / len);
}

// One-pole low-pass filter.
class LowPass {
public:
    void setCutoff(double hz) { a_ = 1.0 - std::exp(-kTwoPi * hz / kRate); }
    double process(double x)
    {
        y_ += a_ * (x - y_);
        return y_;
    }

private:
    double a_ = 1.0;
    double y_ = 0.0;
};

// Two-pole resonant band-pass (state-variable filter).
class BandPass {
public:
    BandPass(double hz, double q) : f_(2.0 * std::sin(kPi * hz / kRate)), damp_(1.0 / q) {}
    double process(double x)
    {
        low_ += f_ * band_;
        const double high = x - low_ - damp_ * band_;
        band_ += f_ * high;
        return band_;
    }

private:
    double f_;
    double damp_;
    double low_ = 0.0;
    double band_ = 0.0;
};

// Sum of harmonics 1..n of `phase` (radians) with amplitude weights from
// `weight(k)`, leaving out every partial at or above 0.45 of the sample rate
// so that nothing folds back.
template <typename Weight>
double harmonics(double phase, double freq, int maxHarmonic, Weight weight)
{
    double sum = 0.0;
    for (int k = 1; k <= maxHarmonic; ++k) {
        if (k * freq >= 0.45 * kRate)
            break;
        sum += weight(k) * std::sin(k * phase);
    }
    return sum;
}

// Fades the first `fadeIn` and last `fadeOut` seconds of `b` so that it starts
// and ends at rest, without a click.
void fade(Buffer& b, double fadeIn, double fadeOut)
{
    const std::size_t in = std::min(b.size(), sampleAt(fadeIn));
    const std::size_t out = std::min(b.size(), sampleAt(fadeOut));
    for (std::size_t i = 0; i < in; ++i)
        b[i] *= rampUp(seconds(i), fadeIn);
    for (std::size_t i = 0; i < out; ++i)
        b[b.size() - 1 - i] *= rampUp(seconds(i), fadeOut);
}

// How loud each sound is made, in LUFS (integrated loudness, see
// loudness.h). The sounds of play sit within 2 LU of each other: the chime of
// a right total and the leaderboard's fanfare at -19, the buzz of a wrong
// entry a little softer at -20 (a mistake must never sound louder than a
// success, and the buzz stays a gentle "try again"), the cart setting off
// at -21, where the loudest of its wooden clacks still keeps 1 dB below full
// scale. The arrival click, 30 ms long, is measured over its own length.
constexpr double kWrongEntryLufs = -20.0;
constexpr double kRightAnswerLufs = -19.0;
constexpr double kSetOffLufs = -21.0;
constexpr double kArrivalLufs = -22.0;
constexpr double kFanfareLufs = -19.0;

// No sample may come closer to full scale than this (about -1 dBFS), so that
// the 8-bit and ADPCM encodings never clip.
constexpr double kMaxPeak = 0.89;

std::vector<std::vector<double>> copyOf(const std::vector<Buffer*>& channels)
{
    std::vector<std::vector<double>> out;
    for (const Buffer* b : channels)
        out.push_back(*b);
    return out;
}

// Fades the channels in and out, then scales them together so that the
// sound's integrated loudness is `lufs`.
void finish(std::vector<Buffer*> channels, double lufs, double fadeIn, double fadeOut)
{
    for (Buffer* b : channels)
        fade(*b, fadeIn, fadeOut);
    const double measured = loudness::integrated(copyOf(channels), kRate);
    if (!std::isfinite(measured))
        return;
    const double gain = std::pow(10.0, (lufs - measured) / 20.0);
    for (Buffer* b : channels)
        for (double& v : *b)
            v *= gain;
}

void finish(Buffer& b, double lufs, double fadeIn, double fadeOut)
{
    finish(std::vector<Buffer*>{&b}, lufs, fadeIn, fadeOut);
}

// ---------------------------------------------------------------- the sounds

// 101, a wrong entry: a soft low "uh-oh", two falling buzzy notes.
Buffer wrongEntry(std::size_t frames)
{
    struct Note {
        double start, length, from, to;
    };
    const Note notes[] = {{0.00, 0.19, 233.1, 226.0}, {0.21, 0.24, 174.6, 164.8}};
    Buffer b(frames, 0.0);
    for (const Note& n : notes) {
        LowPass soften;
        soften.setCutoff(1400.0);
        double phase = 0.0;
        const std::size_t first = sampleAt(n.start);
        const std::size_t count = std::min(frames - first, sampleAt(n.length));
        for (std::size_t i = 0; i < count; ++i) {
            const double t = seconds(i);
            const double u = t / n.length;
            const double freq = n.from + (n.to - n.from) * u;
            phase += kTwoPi * freq / kRate;
            // Odd harmonics falling as 1/k make a square wave's buzz; the
            // low-pass and the lowered upper partials keep it mellow.
            const double buzz = harmonics(phase, freq, 15, [](int k) {
                return (k % 2 ? 1.0 : 0.25) / (k * (1.0 + 0.15 * k));
            });
            const double env = rampUp(t, 0.03) * (1.0 - 0.35 * u) * rampUp(n.length - t, 0.05);
            b[first + i] += env * soften.process(buzz);
        }
    }
    finish(b, kWrongEntryLufs, 0.005, 0.02);
    return b;
}

// A bell-like tone: inharmonic partials, the higher ones dying away sooner.
void addBell(Buffer& b, double start, double freq, double gain, double decay)
{
    struct Partial {
        double ratio, amp, decayScale;
    };
    const Partial partials[] = {{1.0, 1.0, 1.0}, {2.0, 0.45, 0.6}, {2.76, 0.25, 0.4},
                                {4.07, 0.12, 0.25}, {5.4, 0.06, 0.18}};
    const std::size_t first = sampleAt(start);
    for (std::size_t i = first; i < b.size(); ++i) {
        const double t = seconds(i - first);
        double v = 0.0;
        for (const Partial& p : partials) {
            if (p.ratio * freq >= 0.45 * kRate)
                continue;
            v += p.amp * std::exp(-t / (decay * p.decayScale)) * std::sin(kTwoPi * p.ratio * freq * t);
        }
        b[i] += gain * rampUp(t, 0.004) * v;
    }
}

// 102, a right total: a bright rising arpeggio of bells ending on a chord.
Buffer rightAnswer(std::size_t frames)
{
    Buffer b(frames, 0.0);
    const double c5 = 523.25, e5 = 659.26, g5 = 783.99, c6 = 1046.5, e6 = 1318.5;
    addBell(b, 0.00, c5, 0.8, 0.35);
    addBell(b, 0.12, e5, 0.8, 0.35);
    addBell(b, 0.24, g5, 0.8, 0.35);
    addBell(b, 0.36, c6, 0.9, 0.45);
    // The closing chord rings out over the rest of the sound.
    addBell(b, 0.55, c5, 0.45, 0.7);
    addBell(b, 0.55, g5, 0.45, 0.7);
    addBell(b, 0.55, e6, 0.6, 0.6);
    addBell(b, 0.58, c6, 0.5, 0.65);
    finish(b, kRightAnswerLufs, 0.002, 0.25);
    return b;
}

// 103, the lamb sets off: a short rising "hup" whistle, then the cart's wheel
// rolls over the ground with wooden clacks that come faster and faster.
Buffer cartSetsOff(std::size_t frames)
{
    Buffer b(frames, 0.0);
    Noise noise(0x50E11A0ull);

    // Rolling rumble: low-passed noise that swells as the cart gains speed.
    LowPass rumbleLp1, rumbleLp2;
    rumbleLp1.setCutoff(180.0);
    rumbleLp2.setCutoff(180.0);
    const double total = seconds(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = seconds(i);
        const double swell = 0.25 + 0.75 * rampUp(t - 0.15, 0.9);
        const double wobble = 1.0 + 0.3 * std::sin(kTwoPi * (3.0 + 4.0 * t) * t);
        b[i] += 2.2 * swell * wobble * rumbleLp2.process(rumbleLp1.process(noise.next()));
    }

    // Clacks: each a knock of a small resonant body excited by a noise burst.
    double t = 0.18, gap = 0.24;
    int n = 0;
    while (t < total - 0.05) {
        BandPass body(n % 2 ? 820.0 : 700.0, 6.0);
        const std::size_t first = sampleAt(t);
        const std::size_t len = std::min(frames - first, sampleAt(0.06));
        for (std::size_t i = 0; i < len; ++i) {
            const double s = seconds(i);
            const double burst = s < 0.004 ? noise.next() * (1.0 - s / 0.004) : 0.0;
            const double knock = std::exp(-s / 0.012) * std::sin(kTwoPi * (n % 2 ? 410.0 : 360.0) * s);
            b[first + i] += 0.5 * (1.6 * body.process(burst) + 0.35 * knock);
        }
        t += gap;
        gap = std::max(0.075, gap * 0.82);
        ++n;
    }

    // "Hup": a short whistle gliding upwards at the very start.
    double phase = 0.0;
    const std::size_t hupLen = sampleAt(0.16);
    for (std::size_t i = 0; i < hupLen && i < frames; ++i) {
        const double s = seconds(i);
        const double freq = 880.0 + 520.0 * (s / 0.16) * (s / 0.16);
        phase += kTwoPi * freq / kRate;
        const double env = rampUp(s, 0.03) * rampUp(0.16 - s, 0.05);
        b[i] += 0.22 * env * (std::sin(phase) + 0.15 * std::sin(2.0 * phase));
    }

    finish(b, kSetOffLufs, 0.01, 0.15);
    return b;
}

// 104, arrival at the scale: one short wooden click (stereo, the right
// channel a touch later and duller, as if the scale stood slightly right).
std::vector<Buffer> arrivalClick(std::size_t frames)
{
    Noise noise(0xC11C4ull);
    Buffer burst(frames, 0.0);
    for (std::size_t i = 0; i < frames && i < sampleAt(0.002); ++i)
        burst[i] = noise.next() * (1.0 - seconds(i) / 0.002);

    std::vector<Buffer> channels;
    for (int ch = 0; ch < 2; ++ch) {
        Buffer b(frames, 0.0);
        BandPass body(ch == 0 ? 1800.0 : 1600.0, 5.0);
        const std::size_t delay = ch == 0 ? 0 : 4;
        for (std::size_t i = delay; i < frames; ++i) {
            const double s = seconds(i - delay);
            const double tone = std::exp(-s / 0.005) * std::sin(kTwoPi * 1150.0 * s);
            b[i] = body.process(burst[i - delay]) * 2.0 + 0.6 * tone;
        }
        channels.push_back(std::move(b));
    }
    // One gain for both channels keeps their balance. The fade-in is the
    // shortest that still starts the click without a step.
    finish({&channels[0], &channels[1]}, kArrivalLufs, 0.002, 0.006);
    return channels;
}

// A brass-like note: a sawtooth-like spectrum that brightens as the note
// swells, with a slight delayed vibrato.
void addHorn(Buffer& b, double start, double length, double freq, double gain)
{
    const std::size_t first = sampleAt(start);
    const std::size_t count = std::min(b.size() - first, sampleAt(length));
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = seconds(i);
        const double vibrato = 1.0 + 0.006 * rampUp(t - 0.25, 0.2) * std::sin(kTwoPi * 5.5 * t);
        phase += kTwoPi * freq * vibrato / kRate;
        const double bright = 0.35 + 0.65 * rampUp(t, 0.05);
        const double v = harmonics(phase, freq, 12, [bright](int k) {
            return std::pow(bright, k - 1) / k;
        });
        const double env = rampUp(t, 0.02) * (0.8 + 0.2 * std::exp(-t / 0.08)) * rampUp(length - t, 0.06);
        b[first + i] += gain * env * v;
    }
}

// 105, a score enters the leaderboard: a short "ta-ta-ta-taa" fanfare.
Buffer fanfare(std::size_t frames)
{
    Buffer b(frames, 0.0);
    const double g4 = 392.0, c5 = 523.25, e5 = 659.26, g5 = 783.99;
    addHorn(b, 0.00, 0.12, g4, 0.7);
    addHorn(b, 0.14, 0.12, c5, 0.7);
    addHorn(b, 0.28, 0.12, e5, 0.7);
    addHorn(b, 0.42, 0.30, g5, 0.8);
    addHorn(b, 0.74, 0.14, e5, 0.7);
    addHorn(b, 0.90, 1.05, g5, 0.8);
    // A soft chord under the last note.
    addHorn(b, 0.90, 1.05, c5, 0.35);
    addHorn(b, 0.90, 1.05, e5, 0.3);
    finish(b, kFanfareLufs, 0.003, 0.12);
    return b;
}

// ---------------------------------------------------------------- writing

// Writes one sound after checking that it keeps clear of full scale, and
// reports its loudness and peak.
bool writeWave(const std::string& path, int format, const std::vector<Buffer>& channels)
{
    const double top = loudness::peak(channels);
    std::printf("make_sounds: %s %.1f LUFS, peak %.1f dBFS\n", path.c_str(),
                loudness::integrated(channels, kRate), 20.0 * std::log10(top));
    if (top > kMaxPeak) {
        std::fprintf(stderr, "make_sounds: %s would clip: peak %.3f (at most %.2f)\n", path.c_str(), top,
                     kMaxPeak);
        return false;
    }

    const int nch = static_cast<int>(channels.size());
    const std::size_t frames = channels.front().size();
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = nch;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "make_sounds: cannot create %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    std::vector<float> interleaved(frames * static_cast<std::size_t>(nch));
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < nch; ++c)
            interleaved[i * static_cast<std::size_t>(nch) + static_cast<std::size_t>(c)] =
                static_cast<float>(channels[static_cast<std::size_t>(c)][i]);
    const sf_count_t written = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames));
    const bool ok = written == static_cast<sf_count_t>(frames);
    if (!ok)
        std::fprintf(stderr, "make_sounds: writing %s failed: %s\n", path.c_str(), sf_strerror(file));
    if (sf_close(file) != 0) {
        std::fprintf(stderr, "make_sounds: closing %s failed\n", path.c_str());
        return false;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds <out-dir>\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int u8 = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    const int adpcm = SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM;
    const int s16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

    bool ok = true;
    ok = writeWave(dir + "/101.wav", u8, {wrongEntry(9952)}) && ok;
    ok = writeWave(dir + "/102.wav", adpcm, {rightAnswer(46806)}) && ok;
    ok = writeWave(dir + "/103.wav", u8, {cartSetsOff(34245)}) && ok;
    ok = writeWave(dir + "/104.wav", adpcm, arrivalClick(679)) && ok;
    ok = writeWave(dir + "/105.wav", s16, {fanfare(44100)}) && ok;
    return ok ? 0 : 1;
}
