#include "script/PatternCost.h"

#include <cmath>

namespace {

// The end of the set opening at pattern[i] ('['), past its ']'.
size_t afterSet(const char* pattern, size_t length, size_t i) {
    ++i;
    if (i < length && pattern[i] == '^')
        ++i;
    do {
        if (i < length && pattern[i] == '%')
            ++i;
        ++i;
    } while (i < length && pattern[i] != ']');
    return i + 1;
}

}  // namespace

double PatternCost::steps(const char* pattern, size_t patternLength, size_t subjectLength) {
    int repeated = 0;
    size_t i = 0;
    while (i < patternLength) {
        const char c = pattern[i];
        if (c == '(' || c == ')' || (c == '^' && i == 0)) {
            ++i;
            continue;
        }
        // One single-character class: %x, [set], or one character; %bxy and
        // frontiers are never repeated.
        if (c == '%' && i + 2 < patternLength && pattern[i + 1] == 'b') {
            i += 4;
            continue;
        }
        if (c == '%' && i + 2 < patternLength && pattern[i + 1] == 'f' && pattern[i + 2] == '[') {
            i = afterSet(pattern, patternLength, i + 2);
            continue;
        }
        if (c == '%')
            i += 2;
        else if (c == '[')
            i = afterSet(pattern, patternLength, i);
        else
            ++i;
        if (i < patternLength && (pattern[i] == '*' || pattern[i] == '+' || pattern[i] == '-')) {
            ++repeated;
            ++i;
        } else if (i < patternLength && pattern[i] == '?') {
            ++i;
        }
    }
    return std::pow(static_cast<double>(subjectLength) + 1.0, repeated + 1);
}
