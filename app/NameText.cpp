#include "app/NameText.h"

std::string nameAsUtf8(const std::string& name) {
    std::string text;
    text.reserve(name.size());
    for (const char ch : name) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7f || (byte >= 0x80 && byte < 0xa0)) {
            text += '?';
        } else if (byte >= 0x80) {
            text += static_cast<char>(0xc0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3f));
        } else {
            text += ch;
        }
    }
    return text;
}
