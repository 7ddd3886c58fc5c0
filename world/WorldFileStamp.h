#pragma once
#include <cstdint>
#include <string>

// The world file the work belongs to: its name and what the file on disk was
// when the world was last loaded from or saved to it (device, inode, size,
// modification time). Lets a save notice that another program wrote the
// file since.
struct WorldFileStamp {
    std::string name;    // empty for a new world
    bool known = false;  // the fields below describe the file as it was
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;

    // The name with the file's present state (not known when it cannot be read).
    static WorldFileStamp of(const std::string& name);
    // True when path names this world's file (the same folder and name).
    bool names(const std::string& path) const;
    // True when the file under the name is not the one recorded: another
    // program replaced or rewrote it. A file that is gone counts as unchanged
    // (nothing there to lose).
    bool changedOnDisk() const;
};
