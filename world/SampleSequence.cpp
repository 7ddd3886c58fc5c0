#include "world/SampleSequence.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

SampleSequence::SampleSequence(float first, float increment) : increment(increment) {
    addRun(0, first);
}

float SampleSequence::at(int64_t k) {
    return valueIn(runs[runOf(k)], k);
}

int64_t SampleSequence::runEnd(int64_t k) {
    return runs[runOf(k)].end;
}

size_t SampleSequence::runOf(int64_t k) {
    while (runs.back().end <= k)
        addRun(runs.back().end, valueIn(runs.back(), runs.back().end - 1) + increment);
    if (runs[hint].start <= k && k < runs[hint].end)
        return hint;
    const auto after = std::upper_bound(runs.begin(), runs.end(), k,
                                        [](int64_t at, const Run& run) { return at < run.start; });
    hint = static_cast<size_t>(after - runs.begin()) - 1;
    return hint;
}

void SampleSequence::addRun(int64_t start, float v) {
    const float next = v + increment;
    const int64_t length = runLength(v, next);
    // Values that are not finite stay as they are (or leave the run at once).
    const double step = std::isfinite(v) && std::isfinite(next)
                            ? static_cast<double>(next) - static_cast<double>(v)
                            : 0.0;
    runs.push_back({start, std::min(Never, start + length), v, step});
}

// With |v| in the binade [B, 2B) of grid step u, a sum v + a whose exact
// value stays in [B, 2B) rounds to v + (a rounded to the grid), the same for
// every such v. The run lasts while the exact sums stay in the binade; the
// bounds are checked in double, where every term but a is exact and
// rounding only ever moves a sum towards the bound it is compared with.
int64_t SampleSequence::runLength(float v, float next) const {
    if (!std::isfinite(v)) {
        // Infinities stay, and so does not-a-number; a sum of opposite
        // infinities does not.
        const bool stays = std::isnan(v) ? std::isnan(next) : next == v;
        return stays ? Never : 1;
    }
    if (!std::isfinite(next))
        return 1;
    if (increment == 0.0f)
        return Never;
    const double m = std::fabs(static_cast<double>(v));
    const double a = std::fabs(static_cast<double>(increment));
    if (m < 2.0 * FLT_MIN)
        return tinyRunLength(v, a);
    int exponent = 0;
    std::frexp(m, &exponent);
    const double low = std::ldexp(1.0, exponent - 1);
    // In the top binade sums from the largest float up round to infinity.
    const double high = std::min(2.0 * low, static_cast<double>(FLT_MAX));
    const double grid = std::ldexp(1.0, exponent - FLT_MANT_DIG);
    const double d = std::fabs(static_cast<double>(next) - static_cast<double>(v));
    // An increment half-way between grid points rounds to even: the
    // increment is then the same at every step once v is even on the grid.
    const double units = a / grid;
    if (units - std::floor(units) == 0.5 &&
        (std::fmod(m / grid, 2.0) != 0.0 || std::fmod(d / grid, 2.0) != 0.0))
        return 1;
    const bool growing = (v > 0.0f) == (increment > 0.0f);
    // Whether the sum from value j of the run stays in the binade.
    const auto inBinade = [&](int64_t j) {
        const double along = m + (growing ? 1.0 : -1.0) * static_cast<double>(j) * d;
        return growing ? along + a < high : along - a >= low;
    };
    if (!inBinade(0))
        return 1;
    if (d == 0.0)
        return Never;
    const double room = growing ? high - m - a : m - a - low;
    int64_t steps = static_cast<int64_t>(std::min(std::floor(room / d), 1e15));
    while (steps > 0 && !inBinade(steps))
        --steps;
    while (inBinade(steps + 1))
        ++steps;
    // Steps 0 to steps stay in the binade: values 0 to steps + 1 are on the run.
    return steps + 2;
}

// Below twice the smallest normal float, floats of either sign are all the
// multiples of the smallest subnormal: sums that stay there are exact.
int64_t SampleSequence::tinyRunLength(float v, double a) const {
    const double limit = 2.0 * FLT_MIN;
    if (a >= limit)
        return 1;
    const double from = (increment > 0.0f ? 1.0 : -1.0) * static_cast<double>(v);
    const auto stays = [&](int64_t j) { return from + static_cast<double>(j + 1) * a < limit; };
    int64_t steps = static_cast<int64_t>(std::max(0.0, std::floor((limit - from) / a) - 1.0));
    while (steps > 0 && !stays(steps))
        --steps;
    if (!stays(steps))
        return 1;
    while (stays(steps + 1))
        ++steps;
    return steps + 2;
}
