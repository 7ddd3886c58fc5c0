#pragma once
#include <cstdint>

// The command line as words: word 0 is always "Win32App", then every maximal
// run of non-blank characters (no quoting: quotes are ordinary characters).
// The words are followed by a null pointer that the count leaves out.
void splitCommandLine(const char* commandLine);
void releaseCommandLine();
void getCommandLineArgs(int32_t* count, const char* const** words);
