#pragma once

// Plays a WAV file asynchronously. With interrupt, whatever is playing stops
// and the new sound starts; without it, a sound still playing is left alone and
// the new one is not played. A missing or unreadable file, or no audio device
// at all, plays nothing and is not an error. Initialises SDL audio on first use.
void playSound(const char* fileName, bool interrupt);

// True while queued sound is still playing (for callers that must wait).
bool isSoundPlaying();

// Closes the audio device opened by playSound (safe to call when none is open).
void closeSound();
