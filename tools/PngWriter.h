#pragma once
#include <string>

#include "tools/Canvas.h"

// Writes the canvas as an 8-bit RGB PNG file; false when the file cannot be written.
bool writePng(const Canvas& canvas, const std::string& path);
