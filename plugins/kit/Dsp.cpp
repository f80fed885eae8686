#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace kitdsp {

std::vector<float> Echo(const std::vector<float>& x, int32_t delay, float gain, int repeats)
{
    std::vector<float> y(x.size() + static_cast<size_t>(delay) * static_cast<size_t>(repeats), 0.0f);
    for (size_t n = 0; n < y.size(); ++n) {
        float v = n < x.size() ? x[n] : 0.0f;
        if (n >= static_cast<size_t>(delay))
            v += gain * y[n - static_cast<size_t>(delay)];
        y[n] = v;
    }
    return y;
}

namespace {

// The cookbook's second-order section at f0 with quality q: both filters share the poles
// (the denominator s^2 + s/Q + 1); highPass chooses the numerator, s^2 instead of 1. With
// c = cos(w0), b0 = b2 = (1 -+ c) / 2 and b1 = +-(1 -+ c), all divided by a0 = 1 + alpha.
TBiquad Cookbook(double f0, double q, bool highPass)
{
    const double w0 = 2.0 * M_PI * f0 / SampleRate;
    const double alpha = std::sin(w0) / (2.0 * q);
    const double c = std::cos(w0);
    const double a0 = 1.0 + alpha;
    const double k = highPass ? 1.0 + c : 1.0 - c;
    TBiquad s;
    s.b0 = k / 2.0 / a0;
    s.b1 = (highPass ? -k : k) / a0;
    s.b2 = s.b0;
    s.a1 = -2.0 * c / a0;
    s.a2 = (1.0 - alpha) / a0;
    return s;
}

} // namespace

TBiquad TBiquad::LowPass(double f0, double q)
{
    // Cookbook LPF: H(s) = 1 / (s^2 + s/Q + 1).
    return Cookbook(f0, q, false);
}

TBiquad TBiquad::HighPass(double f0, double q)
{
    // Cookbook HPF: H(s) = s^2 / (s^2 + s/Q + 1).
    return Cookbook(f0, q, true);
}

std::vector<float> Cascade(const std::vector<float>& x, const std::vector<TBiquad>& sections)
{
    std::vector<double> v(x.begin(), x.end());
    for (const TBiquad& s : sections) {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& sample : v) {
            const double y = s.b0 * sample + s.b1 * x1 + s.b2 * x2 - s.a1 * y1 - s.a2 * y2;
            x2 = x1;
            x1 = sample;
            y2 = y1;
            y1 = y;
            sample = y;
        }
    }
    return {v.begin(), v.end()};
}

namespace {
const double ButterworthQ1 = 1.0 / (2.0 * std::cos(M_PI / 8.0));
const double ButterworthQ2 = 1.0 / (2.0 * std::cos(3.0 * M_PI / 8.0));
} // namespace

std::vector<float> LowPass4(const std::vector<float>& x, double f0)
{
    return Cascade(x, {TBiquad::LowPass(f0, ButterworthQ1), TBiquad::LowPass(f0, ButterworthQ2)});
}

std::vector<float> HighPass4(const std::vector<float>& x, double f0)
{
    return Cascade(x, {TBiquad::HighPass(f0, ButterworthQ1), TBiquad::HighPass(f0, ButterworthQ2)});
}

namespace {

// Feedback comb: y[n] = x[n - d] + g * y[n - d] (Schroeder's form, output delayed).
void CombInto(const std::vector<float>& x, std::vector<float>& sum, size_t delay, float feedback)
{
    std::vector<float> line(delay, 0.0f);
    size_t at = 0;
    for (size_t n = 0; n < x.size(); ++n) {
        const float out = line[at];
        line[at] = x[n] + feedback * out;
        at = (at + 1) % delay;
        sum[n] += out;
    }
}

// All-pass: y[n] = -g x[n] + x[n - d] + g y[n - d].
std::vector<float> AllPass(const std::vector<float>& x, size_t delay, float g)
{
    std::vector<float> y(x.size());
    std::vector<float> xs(delay, 0.0f), ys(delay, 0.0f);
    size_t at = 0;
    for (size_t n = 0; n < x.size(); ++n) {
        y[n] = -g * x[n] + xs[at] + g * ys[at];
        xs[at] = x[n];
        ys[at] = y[n];
        at = (at + 1) % delay;
    }
    return y;
}

} // namespace

std::vector<float> ReverseReverb(const std::vector<float>& x, int32_t tail)
{
    const size_t length = x.size() + static_cast<size_t>(tail);
    std::vector<float> reversed(length, 0.0f);
    std::reverse_copy(x.begin(), x.end(), reversed.begin());
    std::vector<float> wet(length, 0.0f);
    for (size_t delay : {558u, 594u, 638u, 678u})
        CombInto(reversed, wet, delay, 0.84f);
    wet = AllPass(AllPass(wet, 278, 0.5f), 220, 0.5f);
    std::vector<float> y(length);
    // The four combs add up; a quarter each keeps the swell near the input's level.
    std::transform(wet.rbegin(), wet.rend(), y.begin(), [](float v) { return 0.25f * v; });
    for (size_t i = 0; i < x.size(); ++i)
        y[static_cast<size_t>(tail) + i] += x[i];
    return y;
}

std::vector<uint8_t> NoiseGate(const std::vector<uint8_t>& x, int threshold, int32_t hold)
{
    const int64_t n = static_cast<int64_t>(x.size());
    std::vector<int64_t> nearest(x.size(), INT64_MAX);
    // Distance to the nearest loud sample, from the left and then from the right.
    int64_t last = INT64_MIN / 2;
    for (int64_t i = 0; i < n; ++i) {
        if (std::abs(int(x[i]) - 128) >= threshold)
            last = i;
        nearest[i] = i - last;
    }
    last = INT64_MAX / 2;
    for (int64_t i = n - 1; i >= 0; --i) {
        if (std::abs(int(x[i]) - 128) >= threshold)
            last = i;
        nearest[i] = std::min(nearest[i], last - i);
    }
    std::vector<uint8_t> y(x.size());
    for (int64_t i = 0; i < n; ++i)
        y[i] = nearest[i] <= hold ? x[i] : uint8_t{128};
    return y;
}

std::vector<uint8_t> RemoveDcOffset(const std::vector<uint8_t>& x)
{
    if (x.empty())
        return {};
    double sum = 0;
    for (uint8_t b : x)
        sum += int(b) - 128;
    const double mean = sum / static_cast<double>(x.size());
    std::vector<uint8_t> y(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        y[i] = static_cast<uint8_t>(std::clamp(std::nearbyint(double(x[i]) - mean), 0.0, 255.0));
    return y;
}

std::vector<uint8_t> BitCrush(const std::vector<uint8_t>& x, int bits, int32_t hold)
{
    const double step = std::ldexp(1.0, 8 - bits);
    std::vector<uint8_t> y(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        const size_t held = i - i % static_cast<size_t>(hold);
        const double s = std::nearbyint((int(x[held]) - 128) / step) * step;
        y[i] = static_cast<uint8_t>(std::clamp(s, -128.0, 127.0) + 128.0);
    }
    return y;
}

} // namespace kitdsp
