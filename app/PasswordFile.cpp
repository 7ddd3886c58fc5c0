#include "app/PasswordFile.h"

#include <fstream>

bool readPasswordFile(const std::string& path, std::string* password, std::string* why) {
    std::ifstream in(path);
    if (!in) {
        *why = "the password file " + path + " cannot be read";
        return false;
    }
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty()) {
        *why = "the password file " + path + " holds no password on its first line";
        return false;
    }
    *password = line;
    return true;
}
