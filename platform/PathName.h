#pragma once
#include <cstdio>
#include <string>

// The program names its files with a backslash as separator ("Textures\1_64_64.raw",
// "Media\Block0_8.raw"). This is the one place where such names become paths of
// the host system; every file the program opens goes through openFile.

// Returns name with every '\' turned into '/'. A null name gives "".
std::string nativePath(const char* name);

// fopen of nativePath(name) with the given mode; null on failure or a null
// name/mode. Only regular files are opened: a folder, a pipe or a device is
// refused without waiting for it (a pipe nobody writes would block for ever).
// *why (when given) then says what was wrong, in words.
FILE* openFile(const char* name, const char* mode, std::string* why = nullptr);

// The folder part of a host path: "." when it has no '/', "/" for a name in the root.
std::string folderOfPath(const std::string& path);
