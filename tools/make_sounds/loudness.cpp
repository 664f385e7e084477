#include "loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace loudness {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A second-order filter section, direct form II transposed.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;
    double process(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The K-weighting's first stage, a high shelf modelling the head, from its
// analog prototype (centre 1681.97 Hz, gain +4.0 dB, Q 0.7072) by the
// bilinear transform at `rate`.
Biquad headShelf(int rate)
{
    const double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    const double k = std::tan(kPi * f0 / rate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

// The second stage, the "RLB" high-pass (38.14 Hz, Q 0.5003).
Biquad lowCut(int rate)
{
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = std::tan(kPi * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double toLufs(double meanSquare) { return -0.691 + 10.0 * std::log10(meanSquare); }

}  // namespace

double integrated(const std::vector<std::vector<double>>& channels, int rate)
{
    const double silence = -std::numeric_limits<double>::infinity();
    if (channels.empty() || channels.front().empty() || rate <= 0)
        return silence;
    const std::size_t frames = channels.front().size();

    // Running sums of the K-weighted squares, so that any block's mean
    // square is one subtraction; all channels added together.
    std::vector<double> sums(frames + 1, 0.0);
    for (const std::vector<double>& channel : channels) {
        Biquad shelf = headShelf(rate), cut = lowCut(rate);
        double sum = 0.0;
        for (std::size_t i = 0; i < frames && i < channel.size(); ++i) {
            const double y = cut.process(shelf.process(channel[i]));
            sum += y * y;
            sums[i + 1] += sum;
        }
        for (std::size_t i = channel.size(); i < frames; ++i)
            sums[i + 1] += sum;
    }

    const std::size_t block = std::min(frames, static_cast<std::size_t>(std::lround(0.4 * rate)));
    const std::size_t step = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(0.1 * rate)));
    std::vector<double> blocks;
    for (std::size_t start = 0; start + block <= frames; start += step)
        blocks.push_back((sums[start + block] - sums[start]) / static_cast<double>(block));

    // The absolute gate, then the relative gate 10 LU below what passed it.
    const auto meanAbove = [&blocks](double gateLufs) {
        double total = 0.0;
        int count = 0;
        for (double z : blocks)
            if (z > 0.0 && toLufs(z) > gateLufs) {
                total += z;
                ++count;
            }
        return count ? total / count : 0.0;
    };
    const double absolute = meanAbove(-70.0);
    if (absolute <= 0.0)
        return silence;
    const double relative = meanAbove(std::max(-70.0, toLufs(absolute) - 10.0));
    return relative > 0.0 ? toLufs(relative) : silence;
}

double peak(const std::vector<std::vector<double>>& channels)
{
    double top = 0.0;
    for (const std::vector<double>& channel : channels)
        for (double v : channel)
            top = std::max(top, std::fabs(v));
    return top;
}

}  // namespace loudness
