#pragma once
#include <string>

// The process's current directory for error messages, "(unknown)" when it
// cannot be read. Media paths are relative to it.
std::string workingDirectory();
