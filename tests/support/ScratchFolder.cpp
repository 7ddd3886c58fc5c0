#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "_XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr)
        folder = pattern;
    else
        ADD_FAILURE() << "cannot make a scratch folder " << pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    if (!previous.empty())
        fs::current_path(previous, error);
    if (error)
        ADD_FAILURE() << "cannot return to " << previous << ": " << error.message();
    if (made() && fs::remove_all(folder, error) == static_cast<std::uintmax_t>(-1))
        ADD_FAILURE() << "cannot remove " << folder << ": " << error.message();
}

bool ScratchFolder::enter() {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (!made() || error)
        return false;
    fs::current_path(folder, error);
    if (error)
        return false;
    if (previous.empty())
        previous = here.string();
    return true;
}
