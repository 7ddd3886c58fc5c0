#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A world file's bytes as a list of parts laid end to end (the sector count,
// each sector's record, the sprite section). The parts never change once
// made, so a list can be handed to another thread, and parts kept from one
// snapshot shared with the next, without copying a byte.
struct WorldBytes {
    using Part = std::shared_ptr<const std::vector<uint8_t>>;

    std::vector<Part> parts;

    size_t size() const;
    // The parts in one piece, as a file holds them.
    std::vector<uint8_t> joined() const;
};
