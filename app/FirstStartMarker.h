#pragma once
#include <string>

// The small file that says the program has started before in this user's
// account (in the user's data folder), so that the first start can name the
// key that shows the keys. Neither its absence nor a failed write ever
// stops the program: at worst the hint shows again.
class FirstStartMarker {
public:
    static constexpr const char* FileName = "started-before";

    // The marker in UserFolder::data; with no such folder, an empty path that
    // is never present and never written.
    static FirstStartMarker standard();
    explicit FirstStartMarker(std::string path);

    bool present() const;
    // Makes the folder when needed and writes the marker atomically; false
    // (with *why) when it could not.
    bool write(std::string* why) const;
    const std::string& path() const { return file; }

private:
    std::string file;
};
