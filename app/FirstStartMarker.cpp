#include "app/FirstStartMarker.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "app/UserFolder.h"
#include "media/FileStream.h"

FirstStartMarker FirstStartMarker::standard() {
    const std::string folder = UserFolder::data();
    return FirstStartMarker(folder.empty() ? std::string() : folder + "/" + FileName);
}

FirstStartMarker::FirstStartMarker(std::string path) : file(std::move(path)) {}

bool FirstStartMarker::present() const {
    std::error_code error;
    return !file.empty() && std::filesystem::exists(file, error);
}

bool FirstStartMarker::write(std::string* why) const {
    if (file.empty()) {
        *why = "there is no user data folder (neither XDG_DATA_HOME nor HOME is set)";
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
    if (error) {
        *why = error.message();
        return false;
    }
    static const char Text[] = "Tamotown has started in this account before.\n";
    FileStream stream(file.c_str(), "wb", FileStream::ReplaceAtomically);
    if (!stream.writeBytes(Text, static_cast<int32_t>(sizeof Text - 1)) || !stream.commit()) {
        *why = stream.failureReason();
        return false;
    }
    return true;
}
