#pragma once
#include <string>

// The password of a shared city, kept in a file of its own (so that it
// shows in no command line): its first line, without the line end. False,
// *why naming the fault, when the file cannot be read or that line is empty.
bool readPasswordFile(const std::string& path, std::string* password, std::string* why);
