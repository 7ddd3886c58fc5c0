#include "platform/NamedHandleTable.h"

NamedHandleTable::NamedHandleTable(int32_t entryCount)
        : entries(entryCount > 0 ? static_cast<size_t>(entryCount) : 0) {}

void NamedHandleTable::set(int32_t index, uintptr_t handle, const char* name) {
    if (entries.empty())
        return;
    if (index < 0)
        index = 0;
    if (index >= count())
        index = count() - 1;
    Entry& entry = entries[static_cast<size_t>(index)];
    entry.handle = handle;
    if (name) {
        entry.name = name;
        entry.named = true;
    }
}

uintptr_t NamedHandleTable::find(const char* name) const {
    if (!name)
        return 0;
    for (const Entry& entry : entries)
        if (entry.named && entry.name == name)
            return entry.handle;
    return 0;
}
