#include "platform/Sound.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "support/ScratchFolder.h"

namespace {

const int Rate = 22050;
const int16_t FirstLevel = 0x1234;
const int16_t SecondLevel = -0x2345;

void putLE(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A mono 16-bit WAV holding one constant level, so each sound is recognisable
// in the recorded output.
void writeWav(const std::string& path, int16_t level, int samples) {
    std::string data;
    for (int i = 0; i < samples; ++i)
        putLE(data, static_cast<uint16_t>(level), 2);
    std::string wav = "RIFF";
    putLE(wav, 36 + static_cast<uint32_t>(data.size()), 4);
    wav += "WAVEfmt ";
    putLE(wav, 16, 4);
    putLE(wav, 1, 2);  // PCM
    putLE(wav, 1, 2);  // mono
    putLE(wav, Rate, 4);
    putLE(wav, Rate * 2, 4);  // bytes per second
    putLE(wav, 2, 2);         // block align
    putLE(wav, 16, 2);        // bits
    wav += "data";
    putLE(wav, static_cast<uint32_t>(data.size()), 4);
    wav += data;
    std::ofstream(path, std::ios::binary) << wav;
}

struct Levels {
    int first = 0;
    int second = 0;
};

// SDL's disk driver writes everything played, in real time, into one file.
class SoundTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch = std::make_unique<ScratchFolder>("tamo_sound");
        ASSERT_TRUE(scratch->made());
        dir = scratch->path();
        recording = dir + "/played.raw";
        saveEnvironment("SDL_AUDIODRIVER", &oldDriver);
        saveEnvironment("SDL_DISKAUDIOFILE", &oldDiskFile);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", recording.c_str(), 1);
        // Another test may have started audio with another driver already.
        closeSound();
        if (SDL_WasInit(SDL_INIT_AUDIO)) {
            const char* current = SDL_GetCurrentAudioDriver();
            previousDriver = current ? current : "";
            SDL_AudioQuit();
            ASSERT_EQ(SDL_AudioInit("disk"), 0) << SDL_GetError();
        }
        writeWav(dir + "/long.wav", FirstLevel, Rate / 2);     // half a second
        writeWav(dir + "/short.wav", SecondLevel, Rate / 10);  // a tenth
    }
    static void TearDownTestSuite() {
        closeSound();
        if (!previousDriver.empty()) {
            SDL_AudioQuit();
            SDL_AudioInit(previousDriver.c_str());
        }
        restoreEnvironment("SDL_AUDIODRIVER", oldDriver);
        restoreEnvironment("SDL_DISKAUDIOFILE", oldDiskFile);
        scratch.reset();
    }

    static void waitUntilQuiet() {
        for (int i = 0; i < 300 && isSoundPlaying(); ++i)
            SDL_Delay(10);
        SDL_Delay(400);  // let the driver write out its last buffers
    }

    // Levels recorded since the given byte offset of the recording.
    static Levels levelsSince(size_t from) {
        std::ifstream in(recording, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
        Levels levels;
        for (size_t i = from & ~size_t(1); i + 1 < bytes.size(); i += 2) {
            const int16_t sample = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                                        (static_cast<uint8_t>(bytes[i + 1]) << 8));
            if (sample == FirstLevel)
                ++levels.first;
            else if (sample == SecondLevel)
                ++levels.second;
        }
        return levels;
    }

    static size_t recordedBytes() {
        std::ifstream in(recording, std::ios::binary | std::ios::ate);
        return in ? static_cast<size_t>(in.tellg()) : 0;
    }

    static void saveEnvironment(const char* name, std::pair<bool, std::string>* saved) {
        const char* value = std::getenv(name);
        *saved = {value != nullptr, value ? value : ""};
    }
    static void restoreEnvironment(const char* name, const std::pair<bool, std::string>& saved) {
        if (saved.first)
            setenv(name, saved.second.c_str(), 1);
        else
            unsetenv(name);
    }

    static std::unique_ptr<ScratchFolder> scratch;
    static std::string dir;
    static std::string recording;
    static std::string previousDriver;
    static std::pair<bool, std::string> oldDriver;
    static std::pair<bool, std::string> oldDiskFile;
};

std::unique_ptr<ScratchFolder> SoundTest::scratch;
std::string SoundTest::dir;
std::string SoundTest::recording;
std::string SoundTest::previousDriver;
std::pair<bool, std::string> SoundTest::oldDriver;
std::pair<bool, std::string> SoundTest::oldDiskFile;

}  // namespace

TEST_F(SoundTest, WithoutInterruptAPlayingSoundIsLeftAlone) {
    const size_t start = recordedBytes();
    playSound((dir + "/long.wav").c_str(), false);
    EXPECT_TRUE(isSoundPlaying());
    SDL_Delay(50);
    playSound((dir + "/short.wav").c_str(), false);
    waitUntilQuiet();
    const Levels levels = levelsSince(start);
    EXPECT_EQ(levels.first, Rate / 2);  // all of it
    EXPECT_EQ(levels.second, 0);

    // Once quiet, a sound without interrupt plays.
    const size_t next = recordedBytes();
    playSound((dir + "/short.wav").c_str(), false);
    waitUntilQuiet();
    EXPECT_EQ(levelsSince(next).second, Rate / 10);
}

TEST_F(SoundTest, InterruptStopsThePlayingSoundAndStartsTheNewOne) {
    const size_t start = recordedBytes();
    playSound((dir + "/long.wav").c_str(), true);
    // Interrupt once the first sound is audibly under way.
    for (int i = 0; i < 200 && levelsSince(start).first == 0; ++i)
        SDL_Delay(10);
    playSound((dir + "/short.wav").c_str(), true);
    waitUntilQuiet();
    const Levels levels = levelsSince(start);
    EXPECT_GT(levels.first, 0);
    EXPECT_LT(levels.first, Rate / 2);  // cut short
    EXPECT_EQ(levels.second, Rate / 10);
}

TEST_F(SoundTest, MissingOrBrokenFilesAreSilent) {
    const std::string broken = dir + "/broken.wav";
    std::ofstream(broken, std::ios::binary) << "RIFF\x10\0\0\0WAVEjunk";
    const size_t start = recordedBytes();
    playSound((dir + "/long.wav").c_str(), true);
    SDL_Delay(30);
    playSound((dir + "/missing.wav").c_str(), true);
    playSound(broken.c_str(), true);
    playSound(nullptr, true);
    playSound("", true);
    waitUntilQuiet();
    // The sound that was playing is not stopped by a file that cannot be played.
    EXPECT_EQ(levelsSince(start).first, Rate / 2);
}
