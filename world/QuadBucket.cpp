#include "world/QuadBucket.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

bool QuadBucket::reserveInitial() {
    storage.reset(new (std::nothrow) QuadRecord[InitialCapacity]);
    room = storage ? InitialCapacity : 0;
    used = 0;
    return storage != nullptr;
}

bool QuadBucket::append(const QuadRecord& quad) {
    // A bucket compacted down to nothing has capacity 0; start it afresh.
    if (used == room && !resize(std::max(room * 2, InitialCapacity)))
        return false;
    storage[used] = quad;
    ++used;
    return true;
}

bool QuadBucket::reserve(int32_t extra) {
    if (extra <= room - used)
        return true;
    return extra <= INT32_MAX - used && resize(used + extra);
}

bool QuadBucket::resize(int32_t capacity) {
    std::unique_ptr<QuadRecord[]> bigger(new (std::nothrow) QuadRecord[capacity]);
    if (!bigger)
        return false;
    std::copy(storage.get(), storage.get() + used, bigger.get());
    storage = std::move(bigger);
    room = capacity;
    return true;
}

bool QuadBucket::compact(bool spareRoomToo) {
    int32_t live = 0;
    for (int32_t i = 0; i < used; ++i)
        live += storage[i].alive ? 1 : 0;
    if (live == used && (room == used || !spareRoomToo))
        return true;
    if (live == 0) {
        storage.reset();
        used = room = 0;
        return true;
    }
    // Spare room goes too: the table keeps its quads for as long as the
    // sector lives, and a bucket of a few quads would otherwise hold its
    // initial room of 32 in every sector of the world.
    std::unique_ptr<QuadRecord[]> smaller(new (std::nothrow) QuadRecord[live]);
    if (!smaller)
        return false;
    std::copy_if(storage.get(), storage.get() + used, smaller.get(),
                 [](const QuadRecord& quad) { return quad.alive != 0; });
    storage = std::move(smaller);
    used = live;
    room = live;
    return true;
}
