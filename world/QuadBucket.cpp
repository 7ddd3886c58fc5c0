#include "world/QuadBucket.h"

#include <algorithm>
#include <new>
#include <utility>

bool QuadBucket::reserveInitial() {
    storage.reset(new (std::nothrow) QuadRecord[InitialCapacity]);
    room = storage ? InitialCapacity : 0;
    used = 0;
    return storage != nullptr;
}

bool QuadBucket::append(const QuadRecord& quad) {
    if (used == room) {
        // A bucket compacted down to nothing has capacity 0; start it afresh.
        const int32_t grown = std::max(room * 2, InitialCapacity);
        std::unique_ptr<QuadRecord[]> bigger(new (std::nothrow) QuadRecord[grown]);
        if (!bigger)
            return false;
        std::copy(storage.get(), storage.get() + used, bigger.get());
        storage = std::move(bigger);
        room = grown;
    }
    storage[used] = quad;
    ++used;
    return true;
}

bool QuadBucket::compact() {
    int32_t live = 0;
    for (int32_t i = 0; i < used; ++i)
        live += storage[i].alive ? 1 : 0;
    if (live == used)
        return true;
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
