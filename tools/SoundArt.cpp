#include <algorithm>
#include <cmath>

#include "tools/Art.h"

namespace {
void put16(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xff));
}
// Byte by byte: g++ 12 at -O3 reports a false -Wstringop-overflow for a
// range insert of a few bytes from a const char* into a vector that grows.
void putTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}
}  // namespace

// A soft 40 ms click: two sine partials with a quick attack and an exponential decay.
std::vector<uint8_t> makeClickSound() {
    constexpr uint32_t Rate = 44100;
    constexpr uint32_t Samples = Rate * 40 / 1000;
    std::vector<uint8_t> wav;
    const uint32_t dataBytes = Samples * 2;
    wav.reserve(44 + dataBytes);
    putTag(wav, "RIFF");
    put32(wav, 36 + dataBytes);
    putTag(wav, "WAVE");
    putTag(wav, "fmt ");
    put32(wav, 16);
    put16(wav, 1);  // PCM
    put16(wav, 1);  // mono
    put32(wav, Rate);
    put32(wav, Rate * 2);
    put16(wav, 2);
    put16(wav, 16);
    putTag(wav, "data");
    put32(wav, dataBytes);
    const double twoPi = 6.283185307179586;
    for (uint32_t i = 0; i < Samples; ++i) {
        const double t = double(i) / Rate;
        const double attack = std::min(1.0, t / 0.0015);
        const double release = std::min(1.0, (double(Samples - 1 - i) / Rate) / 0.004);
        const double envelope = attack * release * std::exp(-t / 0.009);
        const double tone =
            0.75 * std::sin(twoPi * 1760.0 * t) + 0.25 * std::sin(twoPi * 2640.0 * t);
        put16(wav, static_cast<int>(std::lround(tone * envelope * 0.6 * 32767.0)));
    }
    return wav;
}
