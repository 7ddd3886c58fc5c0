#pragma once
#include <cstdint>
#include <memory>

#include "world/QuadRecord.h"

// The records of one material key in the quad table, live and dead, in the
// order they were added. Storage doubles when full and shrinks to the live
// records on compact; a failed allocation leaves the bucket as it was.
class QuadBucket {
public:
    static constexpr int32_t InitialCapacity = 32;

    // Room for initialCapacity records; false when there was no memory.
    bool reserveInitial();
    bool append(const QuadRecord& quad);
    // Room for extra more records; false (bucket unchanged) without memory.
    bool reserve(int32_t extra);
    // Drops the dead records, and with them any spare room (all of it when
    // spareRoomToo). False (bucket unchanged) without memory for the smaller
    // storage: compaction is only a saving.
    bool compact(bool spareRoomToo = true);

    QuadRecord* records() { return storage.get(); }
    const QuadRecord* records() const { return storage.get(); }
    int32_t count() const { return used; }
    int32_t capacity() const { return room; }

private:
    // Moves the records to storage for capacity records (at least used).
    bool resize(int32_t capacity);

    std::unique_ptr<QuadRecord[]> storage;
    int32_t used = 0;
    int32_t room = 0;
};
