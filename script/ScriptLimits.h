#pragma once
#include <cstddef>
#include <cstdint>

// How far a city script may go before it stops with an error. The defaults
// are the program's; tests make them small so that reaching one is quick.
struct ScriptLimits {
    // Running time, looked at every hookInstructions Lua instructions.
    double seconds = 10.0;
    int32_t hookInstructions = 10000;
    // Cell changes and figures added or removed.
    size_t changes = 10000000;
    // Lua's memory and the changes held until the script ends.
    size_t memoryBytes = size_t{1} << 30;
    // Cells a script may name: |x|, |y|, |z| at most this (world units stay
    // exact in single precision).
    int32_t cellRange = 1000000;
};
