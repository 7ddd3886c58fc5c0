#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The values v0, v1 = v0 + a, v2 = v1 + a, ... of a loop that accumulates a
// float increment, each sum rounded to float, with value k found without the
// k additions before it.
//
// While the values stay in one binade (one float exponent) every sum rounds
// to the grid of that binade, so the rounded increment is the same at every
// step, unless the increment lies exactly half-way between two grid points
// (then it holds once the values are even on the grid). The sequence is
// therefore kept as runs of equal increments, each value of a run exact as
// first + j * increment in double; at the end of a run the next value is
// the float sum itself. Runs are added as they are needed; a sequence that
// stops moving (an increment below half a grid step) ends in a run that
// never ends.
class SampleSequence {
public:
    // Larger than any sample index; the end of a run that never ends.
    static constexpr int64_t Never = INT64_MAX / 4;

    SampleSequence(float first, float increment);

    // Value k, k >= 0.
    float at(int64_t k);
    // +1 when the values never fall, -1 when they never rise, 0 when they
    // stay (the increment is zero or not a number).
    int direction() const { return increment > 0.0f ? 1 : increment < 0.0f ? -1 : 0; }
    // The index after the run holding value k: the values from k up to it
    // lie on one straight line (in double), or Never.
    int64_t runEnd(int64_t k);

    // The first k in [from, until) whose value passes test, or until when
    // none does; test must stay passed once passed along the sequence. guess
    // is a value near where it turns, for the first probe.
    template <class Test>
    int64_t firstWhere(int64_t from, int64_t until, double guess, Test test) {
        while (from < until) {
            const Run& run = runs[runOf(from)];
            const int64_t end = run.end < until ? run.end : until;
            if (test(valueIn(run, end - 1)))
                return firstInRun(run, from, end, guess, test);
            from = end;
        }
        return until;
    }

private:
    // Values start to end - 1, exactly first + (k - start) * step.
    struct Run {
        int64_t start;
        int64_t end;
        double first;
        double step;
    };

    static float valueIn(const Run& run, int64_t k) {
        return static_cast<float>(run.first + static_cast<double>(k - run.start) * run.step);
    }
    // The run holding k, adding runs up to it.
    size_t runOf(int64_t k);
    // The run from value start, v.
    void addRun(int64_t start, float v);
    // How many values from v on share the increment d = (v + a) - v.
    int64_t runLength(float v, float next) const;
    int64_t tinyRunLength(float v, double a) const;

    // The first value passing test in [from, end) of run; the last passes.
    template <class Test>
    static int64_t firstInRun(const Run& run, int64_t from, int64_t end, double guess, Test test) {
        int64_t probe = from;
        if (run.step != 0.0) {
            const double at = static_cast<double>(run.start) + (guess - run.first) / run.step;
            if (at > static_cast<double>(from) && at < static_cast<double>(end))
                probe = static_cast<int64_t>(at);
        }
        // Gallop from the probe towards the answer, then halve: the guess
        // is usually within a sample, so this takes two or three probes.
        int64_t passed = end - 1, failed = from - 1;
        int64_t stride = 1;
        if (test(valueIn(run, probe))) {
            passed = probe;
            while (passed - stride > failed && test(valueIn(run, passed - stride))) {
                passed -= stride;
                stride *= 2;
            }
            if (passed - stride > failed)
                failed = passed - stride;
        } else {
            failed = probe;
            while (failed + stride < passed && !test(valueIn(run, failed + stride))) {
                failed += stride;
                stride *= 2;
            }
            if (failed + stride < passed)
                passed = failed + stride;
        }
        while (passed - failed > 1) {
            const int64_t middle = failed + (passed - failed) / 2;
            if (test(valueIn(run, middle)))
                passed = middle;
            else
                failed = middle;
        }
        return passed;
    }

    std::vector<Run> runs;
    const float increment;
    size_t hint = 0;
};
