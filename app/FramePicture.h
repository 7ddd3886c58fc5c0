#pragma once
#include <cstdint>
#include <ctime>
#include <string>

// Pictures of the frame taken with F12: where they go, what they are called,
// and writing one.
class FramePicture {
public:
    // $XDG_PICTURES_DIR, else $HOME/Pictures, else the working directory
    // ("."): the first that is a folder.
    static std::string folder();
    // "tamotown-YYYYMMDD-HHMMSS.png" for the local time when.
    static std::string nameFor(std::time_t when);
    // folder/name; when that file exists, the first free name with "-2",
    // "-3", ... before the extension, so that an earlier picture is never
    // overwritten.
    static std::string freePath(const std::string& folder, const std::string& name);
    // Writes width x height RGB pixels (rows from the top) as a new picture
    // for the time when. *path gets the file written, or the one that could
    // not be written; *why (when given) the cause of a failure.
    static bool save(const uint8_t* rgb, int32_t width, int32_t height, std::time_t when,
                     std::string* path, std::string* why = nullptr);
};
