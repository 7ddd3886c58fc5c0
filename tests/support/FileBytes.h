#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Whole files as bytes, for tests that prepare inputs and check outputs.

// Empty when the file cannot be read.
std::vector<uint8_t> readFileBytes(const std::string& path);
// Creates or truncates the file; false when not all bytes were written.
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
