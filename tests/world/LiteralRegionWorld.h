#pragma once
// A model of a world and of the box edits done the slow, plain way: cell by
// cell, each cell found by searching the sectors in order and its record by
// searching the records, every clipboard turn and mirror applied to the
// records at once, undo by putting back a copy of the whole world. Written
// from the file layout and the click rules alone, to check the fast edits.
#include <cstdint>
#include <vector>

#include "platform/Vector3.h"
#include "world/FaceMaterial.h"
#include "world/SpriteObject.h"

namespace literal {

struct Record {
    int32_t x, y, z;
    FaceMaterial faces[6];
    bool used;
};

struct Sector {
    int32_t size;
    Vector3 origin;
    std::vector<Record> records;
};

struct World {
    std::vector<Sector> sectors;
    std::vector<SpriteObject> sprites;
    int32_t nextId = 0;
};

// Cells relative to the lowest corner; figures relative to its world point.
struct Clip {
    int32_t size[3] = {0, 0, 0};
    std::vector<Record> cells;
    std::vector<SpriteObject> sprites;
};

// A box of world cells, low and high included.
struct Box {
    int32_t low[3], high[3];
};

class LiteralRegionWorld {
public:
    World world;
    static constexpr int32_t W = 10, H = 15;

    std::vector<uint8_t> bytes() const;

    // Each returns the blocks it touched; edits keep the undo list.
    int64_t fill(const Box& box, const FaceMaterial& m, bool hollow);
    int64_t remove(const Box& box);
    int64_t paint(const Box& box, const FaceMaterial& m);
    Clip copy(const Box& box) const;
    int64_t paste(const Clip& clip, const int32_t at[3]);
    int64_t move(const Box& box, const int32_t d[3]);
    static void rotate(Clip& clip);
    static void mirror(Clip& clip);
    void undo();
    void redo();

private:
    void begin();
    void end();
    void restore(const World& state);
    // The sector holding a cell's centre and the cell within it (-1: none).
    int32_t locate(int32_t x, int32_t y, int32_t z, bool create, int32_t cell[3]);
    Record* recordAt(int32_t sector, const int32_t cell[3]);
    bool blockAt(int32_t x, int32_t y, int32_t z, int32_t* sector, int32_t cell[3]);
    bool place(int32_t x, int32_t y, int32_t z, const FaceMaterial faces[6]);
    bool inBox(const Box& box, const Vector3& p) const;
    void removeBlocks(const Box& box, int64_t* count);

    World before;
    std::vector<std::pair<World, World>> done, undone;
};

}  // namespace literal
