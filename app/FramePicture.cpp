#include "app/FramePicture.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "media/PngWriter.h"

namespace fs = std::filesystem;

namespace {

bool isFolder(const char* path) {
    std::error_code error;
    return path != nullptr && *path != '\0' && fs::is_directory(path, error);
}

}  // namespace

std::string FramePicture::folder() {
    const char* pictures = std::getenv("XDG_PICTURES_DIR");
    if (isFolder(pictures))
        return pictures;
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        const std::string inHome = std::string(home) + "/Pictures";
        if (isFolder(inHome.c_str()))
            return inHome;
    }
    return ".";
}

std::string FramePicture::nameFor(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char name[64];
    std::strftime(name, sizeof name, "tamotown-%Y%m%d-%H%M%S.png", &local);
    return name;
}

std::string FramePicture::freePath(const std::string& folder, const std::string& name) {
    const std::string stem = name.substr(0, name.rfind('.'));
    const std::string extension = name.substr(stem.size());
    std::string path = folder + "/" + name;
    std::error_code error;  // a folder that cannot be read: the write says why
    for (int n = 2; fs::exists(path, error); ++n)
        path = folder + "/" + stem + "-" + std::to_string(n) + extension;
    return path;
}

bool FramePicture::save(const uint8_t* rgb, int32_t width, int32_t height, std::time_t when,
                        std::string* path, std::string* why) {
    const std::string target = freePath(folder(), nameFor(when));
    if (path)
        *path = target;
    return writePng(target, rgb, width, height, why);
}
