#pragma once
#include <string>

// Sprite names are bytes as typed or as read from a file. As UTF-8 text for
// other programs and the terminal: bytes from 0x80 read as Latin-1, control
// characters become '?'.
std::string nameAsUtf8(const std::string& name);
