#include "platform/Sound.h"

#include <SDL.h>

#include "platform/PathName.h"

namespace {

SDL_AudioDeviceID device = 0;
bool audioInitialisedHere = false;
bool deviceUnavailable = false;  // tried and failed: stay silent from then on

bool ensureAudioSubsystem() {
    if (SDL_WasInit(SDL_INIT_AUDIO))
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    audioInitialisedHere = true;
    return true;
}

SDL_AudioDeviceID openDevice(const SDL_AudioSpec& wanted, SDL_AudioSpec* obtained) {
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, obtained, 0);
}

// Opens the output once, in the format of the first sound; later sounds are
// converted to it. Without a usable device, falls back to SDL's dummy driver
// so playback calls keep working silently.
bool ensureDevice(const SDL_AudioSpec& firstSound, SDL_AudioSpec* deviceSpec) {
    static SDL_AudioSpec opened;
    if (device != 0) {
        *deviceSpec = opened;
        return true;
    }
    if (deviceUnavailable || !ensureAudioSubsystem()) {
        deviceUnavailable = true;
        return false;
    }
    SDL_AudioSpec wanted = firstSound;
    wanted.callback = nullptr;
    wanted.userdata = nullptr;
    if (wanted.samples == 0)
        wanted.samples = 1024;
    device = openDevice(wanted, &opened);
    if (device == 0) {
        SDL_AudioQuit();
        if (SDL_AudioInit("dummy") == 0)
            device = openDevice(wanted, &opened);
    }
    if (device == 0) {
        deviceUnavailable = true;
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    *deviceSpec = opened;
    return true;
}

// Converts the loaded WAV data into the device's format; false on failure.
bool convertTo(const SDL_AudioSpec& from, const SDL_AudioSpec& to, Uint8* data, Uint32 length,
               Uint8** converted, Uint32* convertedLength) {
    SDL_AudioCVT cvt;
    const int needed = SDL_BuildAudioCVT(&cvt, from.format, from.channels, from.freq, to.format,
                                         to.channels, to.freq);
    if (needed < 0)
        return false;
    if (needed == 0) {
        *converted = nullptr;
        *convertedLength = length;
        return true;
    }
    cvt.len = static_cast<int>(length);
    cvt.buf = static_cast<Uint8*>(SDL_malloc(static_cast<size_t>(cvt.len) * cvt.len_mult));
    if (!cvt.buf)
        return false;
    SDL_memcpy(cvt.buf, data, length);
    if (SDL_ConvertAudio(&cvt) != 0) {
        SDL_free(cvt.buf);
        return false;
    }
    *converted = cvt.buf;
    *convertedLength = static_cast<Uint32>(cvt.len_cvt);
    return true;
}

}  // namespace

bool isSoundPlaying() {
    return device != 0 && SDL_GetQueuedAudioSize(device) > 0;
}

void playSound(const char* fileName, bool interrupt) {
    if (!fileName || !*fileName)
        return;
    if (!interrupt && isSoundPlaying())
        return;
    if (!ensureAudioSubsystem())
        return;

    SDL_AudioSpec wavSpec;
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(nativePath(fileName).c_str(), &wavSpec, &data, &length))
        return;

    SDL_AudioSpec deviceSpec;
    if (ensureDevice(wavSpec, &deviceSpec)) {
        Uint8* converted = nullptr;
        Uint32 convertedLength = 0;
        if (convertTo(wavSpec, deviceSpec, data, length, &converted, &convertedLength)) {
            if (interrupt)
                SDL_ClearQueuedAudio(device);
            SDL_QueueAudio(device, converted ? converted : data, convertedLength);
            SDL_free(converted);
        }
    }
    SDL_FreeWAV(data);
}

void closeSound() {
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    deviceUnavailable = false;
    if (audioInitialisedHere) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioInitialisedHere = false;
    }
}
