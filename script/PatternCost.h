#pragma once
#include <cstddef>

// A bound on the steps Lua's pattern matcher may take: every item repeated
// with *, + or - may try each length of the subject again for each choice
// of the items before it, so a subject of n bytes may cost (n + 1) to the
// power of those items plus one. Patterns over a large subject with many
// such items can take hours inside one call, where no instruction hook
// looks at the clock.
namespace PatternCost {

// Steps at most this many are allowed.
constexpr double MostSteps = 1e9;

// The bound for pattern (of patternLength bytes) over a subject of
// subjectLength bytes.
double steps(const char* pattern, size_t patternLength, size_t subjectLength);

}  // namespace PatternCost
