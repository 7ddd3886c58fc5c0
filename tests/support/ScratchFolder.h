#pragma once
#include <string>

// A fresh folder under /tmp for one test's files. The destructor returns to
// the earlier working folder if the test entered this one, and removes the
// folder with everything in it (a failure to remove fails the test).
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix = "tamo");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // False when the folder could not be made; path() is then empty.
    bool made() const { return !folder.empty(); }
    const std::string& path() const { return folder; }
    std::string path(const std::string& name) const { return folder + "/" + name; }

    // Makes the folder the working folder until the destructor runs.
    bool enter();

private:
    std::string folder;
    std::string previous;
};
