#pragma once

// Starts the window system once, on first use: video and events are needed,
// audio is tried but its failure never fails start-up. Returns false only when
// video could not be started. Safe to call any number of times.
bool initPlatform();
