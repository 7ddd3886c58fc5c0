#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A fixed number of (OS handle, name) entries; every entry starts as (0, no name).
class NamedHandleTable {
public:
    explicit NamedHandleTable(int32_t entryCount);

    // Stores handle at index (clamped into the table); name replaces the
    // stored name only when it is not null.
    void set(int32_t index, uintptr_t handle, const char* name);
    // The handle of the first entry whose name equals name, or 0.
    uintptr_t find(const char* name) const;
    int32_t count() const { return static_cast<int32_t>(entries.size()); }

private:
    struct Entry {
        uintptr_t handle = 0;
        bool named = false;
        std::string name;
    };
    std::vector<Entry> entries;
};
