#include "world/LiteralRegionWorld.h"

#include <cmath>

#include "world/TestWorld.h"

namespace literal {

std::vector<uint8_t> LiteralRegionWorld::bytes() const {
    testworld::Bytes out;
    out.i32(static_cast<int32_t>(world.sectors.size()));
    for (const Sector& s : world.sectors) {
        int32_t used = 0;
        for (const Record& r : s.records)
            used += r.used;
        out.sectorHeader(s.size, s.origin.x, s.origin.y, s.origin.z, used);
        for (const Record& r : s.records) {
            if (!r.used)
                continue;
            out.i32(r.x).i32(r.y).i32(r.z);
            for (const FaceMaterial& f : r.faces)
                out.face(f.texture, f.offsetU, f.offsetV, f.rotation, f.scaleU, f.scaleV);
        }
    }
    out.i32(static_cast<int32_t>(world.sprites.size()));
    for (const SpriteObject& o : world.sprites)
        out.sprite(o.id, o.position.x, o.position.y, o.position.z, o.name, o.angle, o.type, o.team,
                   o.height);
    return out.data();
}

int32_t LiteralRegionWorld::locate(int32_t x, int32_t y, int32_t z, bool create, int32_t cell[3]) {
    const float w = W, h = H;
    const Vector3 p(x * w + w * 0.5f, y * h + h * 0.5f, z * w + w * 0.5f);
    int32_t found = -1;
    for (size_t i = 0; i < world.sectors.size() && found < 0; ++i) {
        const Sector& s = world.sectors[i];
        const float ew = static_cast<float>(s.size * W), eh = static_cast<float>(s.size * H);
        if (s.origin.x <= p.x && p.x <= s.origin.x + ew && s.origin.y <= p.y &&
            p.y <= s.origin.y + eh && s.origin.z <= p.z && p.z <= s.origin.z + ew)
            found = static_cast<int32_t>(i);
    }
    if (found < 0) {
        if (!create)
            return -1;
        const int32_t ex = 20 * W, ey = 20 * H;
        world.sectors.push_back({20,
                                 Vector3(std::floor(p.x / ex) * ex, std::floor(p.y / ey) * ey,
                                         std::floor(p.z / ex) * ex),
                                 {}});
        found = static_cast<int32_t>(world.sectors.size()) - 1;
    }
    const Sector& s = world.sectors[static_cast<size_t>(found)];
    const float q[3] = {(p.x - s.origin.x) / w, (p.y - s.origin.y) / h, (p.z - s.origin.z) / w};
    for (int a = 0; a < 3; ++a) {
        if (!(q[a] >= 0.0f) || q[a] >= static_cast<float>(s.size))
            return -1;
        cell[a] = static_cast<int32_t>(q[a]);
    }
    return found;
}

Record* LiteralRegionWorld::recordAt(int32_t sector, const int32_t cell[3]) {
    for (Record& r : world.sectors[static_cast<size_t>(sector)].records)
        if (r.x == cell[0] && r.y == cell[1] && r.z == cell[2])
            return &r;
    return nullptr;
}

bool LiteralRegionWorld::blockAt(int32_t x, int32_t y, int32_t z, int32_t* sector,
                                 int32_t cell[3]) {
    *sector = locate(x, y, z, false, cell);
    const Record* r = *sector < 0 ? nullptr : recordAt(*sector, cell);
    return r && r->used;
}

bool LiteralRegionWorld::place(int32_t x, int32_t y, int32_t z, const FaceMaterial faces[6]) {
    int32_t cell[3];
    const int32_t s = locate(x, y, z, true, cell);
    if (s < 0)
        return false;
    Record* r = recordAt(s, cell);
    if (!r) {
        world.sectors[static_cast<size_t>(s)].records.push_back(
            {cell[0], cell[1], cell[2], {}, true});
        r = &world.sectors[static_cast<size_t>(s)].records.back();
    }
    r->used = true;
    std::copy(faces, faces + 6, r->faces);
    return true;
}

bool LiteralRegionWorld::inBox(const Box& box, const Vector3& p) const {
    const int32_t c[3] = {static_cast<int32_t>(std::floor(p.x / W)),
                          static_cast<int32_t>(std::floor(p.y / H)),
                          static_cast<int32_t>(std::floor(p.z / W))};
    for (int a = 0; a < 3; ++a)
        if (c[a] < box.low[a] || c[a] > box.high[a])
            return false;
    return true;
}

#define FOR_CELLS(box)                                                                             \
    for (int32_t y = (box).low[1]; y <= (box).high[1]; ++y)                                        \
        for (int32_t z = (box).low[2]; z <= (box).high[2]; ++z)                                    \
            for (int32_t x = (box).low[0]; x <= (box).high[0]; ++x)

int64_t LiteralRegionWorld::fill(const Box& box, const FaceMaterial& m, bool hollow) {
    begin();
    int64_t n = 0;
    const FaceMaterial faces[6] = {m, m, m, m, m, m};
    FOR_CELLS(box) {
        const bool shell = !hollow || x == box.low[0] || x == box.high[0] || y == box.low[1] ||
                           y == box.high[1] || z == box.low[2] || z == box.high[2];
        int32_t s, cell[3];
        if (shell) {
            n += place(x, y, z, faces);
        } else if (blockAt(x, y, z, &s, cell)) {
            recordAt(s, cell)->used = false;
            ++n;
        }
    }
    end();
    return n;
}

void LiteralRegionWorld::removeBlocks(const Box& box, int64_t* count) {
    FOR_CELLS(box) {
        int32_t s, cell[3];
        if (blockAt(x, y, z, &s, cell)) {
            recordAt(s, cell)->used = false;
            ++*count;
        }
    }
}

int64_t LiteralRegionWorld::remove(const Box& box) {
    begin();
    int64_t n = 0;
    removeBlocks(box, &n);
    for (size_t i = 0; i < world.sprites.size();)
        if (inBox(box, world.sprites[i].position))
            world.sprites.erase(world.sprites.begin() + static_cast<long>(i));
        else
            ++i;
    end();
    return n;
}

int64_t LiteralRegionWorld::paint(const Box& box, const FaceMaterial& m) {
    begin();
    int64_t n = 0;
    FOR_CELLS(box) {
        int32_t s, cell[3];
        if (blockAt(x, y, z, &s, cell)) {
            std::fill(recordAt(s, cell)->faces, recordAt(s, cell)->faces + 6, m);
            ++n;
        }
    }
    end();
    return n;
}

Clip LiteralRegionWorld::copy(const Box& box) const {
    // Looking without creating changes nothing.
    LiteralRegionWorld& probe = const_cast<LiteralRegionWorld&>(*this);
    Clip clip;
    for (int a = 0; a < 3; ++a)
        clip.size[a] = box.high[a] - box.low[a] + 1;
    FOR_CELLS(box) {
        int32_t s, cell[3];
        if (probe.blockAt(x, y, z, &s, cell)) {
            Record r = *probe.recordAt(s, cell);
            r.x = x - box.low[0];
            r.y = y - box.low[1];
            r.z = z - box.low[2];
            clip.cells.push_back(r);
        }
    }
    const Vector3 corner(box.low[0] * 10.0f, box.low[1] * 15.0f, box.low[2] * 10.0f);
    for (SpriteObject o : world.sprites)
        if (inBox(box, o.position)) {
            o.position = o.position - corner;
            clip.sprites.push_back(o);
        }
    return clip;
}

int64_t LiteralRegionWorld::paste(const Clip& clip, const int32_t at[3]) {
    begin();
    const Box box{{at[0], at[1], at[2]},
                  {at[0] + clip.size[0] - 1, at[1] + clip.size[1] - 1, at[2] + clip.size[2] - 1}};
    int64_t n = 0;
    FOR_CELLS(box) {
        for (const Record& r : clip.cells)
            if (r.x == x - at[0] && r.y == y - at[1] && r.z == z - at[2])
                n += place(x, y, z, r.faces);
    }
    const Vector3 corner(at[0] * 10.0f, at[1] * 15.0f, at[2] * 10.0f);
    for (SpriteObject o : clip.sprites) {
        o.position = corner + o.position;
        o.id = world.nextId++;
        world.sprites.push_back(o);
    }
    end();
    return n;
}

int64_t LiteralRegionWorld::move(const Box& box, const int32_t d[3]) {
    begin();
    const Clip clip = copy(box);
    int64_t removed = 0;
    removeBlocks(box, &removed);
    FOR_CELLS(box) {
        for (const Record& r : clip.cells)
            if (r.x == x - box.low[0] && r.y == y - box.low[1] && r.z == z - box.low[2])
                place(x + d[0], y + d[1], z + d[2], r.faces);
    }
    for (SpriteObject& o : world.sprites)
        if (inBox(box, o.position))
            o.position = o.position + Vector3(d[0] * 10.0f, d[1] * 15.0f, d[2] * 10.0f);
    end();
    return removed;
}

// A quarter turn: (x, z) goes to (depth - 1 - z, x); +x faces look along +z.
void LiteralRegionWorld::rotate(Clip& clip) {
    const int32_t depth = clip.size[2];
    for (Record& r : clip.cells) {
        const int32_t x = r.x;
        r.x = depth - 1 - r.z;
        r.z = x;
        const FaceMaterial f[6] = {r.faces[0], r.faces[1], r.faces[2],
                                   r.faces[3], r.faces[4], r.faces[5]};
        r.faces[5] = f[3];  // +x to +z
        r.faces[2] = f[5];  // +z to -x
        r.faces[4] = f[2];  // -x to -z
        r.faces[3] = f[4];  // -z to +x
        for (int t : {0, 1})
            r.faces[t].rotation = static_cast<uint8_t>((r.faces[t].rotation + 1) % 4);
    }
    for (SpriteObject& o : clip.sprites) {
        const float x = o.position.x;
        o.position.x = static_cast<float>(depth * W) - o.position.z;
        o.position.z = x;
        o.angle = o.angle + 90.0f >= 360.0f ? o.angle - 270.0f : o.angle + 90.0f;
    }
    std::swap(clip.size[0], clip.size[2]);
}

void LiteralRegionWorld::mirror(Clip& clip) {
    for (Record& r : clip.cells) {
        r.x = clip.size[0] - 1 - r.x;
        std::swap(r.faces[2], r.faces[3]);
        for (int t : {0, 1})
            r.faces[t].rotation = static_cast<uint8_t>((4 - r.faces[t].rotation) % 4);
    }
    for (SpriteObject& o : clip.sprites) {
        o.position.x = static_cast<float>(clip.size[0] * W) - o.position.x;
        o.angle = 180.0f - o.angle < 0.0f ? 540.0f - o.angle : 180.0f - o.angle;
    }
}

void LiteralRegionWorld::begin() {
    before = world;
}

bool sameRecord(const Record& a, const Record& b) {
    return a.used == b.used && (!a.used || (a.x == b.x && a.y == b.y && a.z == b.z &&
                                            std::equal(a.faces, a.faces + 6, b.faces)));
}

bool sameSprite(const SpriteObject& a, const SpriteObject& b) {
    return a.id == b.id && a.position == b.position && a.angle == b.angle && a.type == b.type &&
           a.team == b.team && a.height == b.height && a.name == b.name;
}

// An edit that changed anything is one undo step, and clears the redo list.
void LiteralRegionWorld::end() {
    bool same = before.sectors.size() == world.sectors.size() &&
                before.sprites.size() == world.sprites.size() && before.nextId == world.nextId;
    for (size_t i = 0; same && i < world.sectors.size(); ++i) {
        const std::vector<Record>& a = before.sectors[i].records;
        const std::vector<Record>& b = world.sectors[i].records;
        same = a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameRecord);
    }
    for (size_t i = 0; same && i < world.sprites.size(); ++i)
        same = sameSprite(before.sprites[i], world.sprites[i]);
    if (!same) {
        done.emplace_back(before, world);
        undone.clear();
    }
}

// The world put back as it was, except that records a sector gained since
// stay, unused, as the sector keeps them.
void LiteralRegionWorld::restore(const World& state) {
    World next = state;
    for (size_t i = 0; i < next.sectors.size() && i < world.sectors.size(); ++i) {
        std::vector<Record>& records = next.sectors[i].records;
        for (size_t k = records.size(); k < world.sectors[i].records.size(); ++k) {
            records.push_back(world.sectors[i].records[k]);
            records.back().used = false;
        }
    }
    world = next;
}

void LiteralRegionWorld::undo() {
    if (done.empty())
        return;
    restore(done.back().first);
    undone.push_back(done.back());
    done.pop_back();
}

void LiteralRegionWorld::redo() {
    if (undone.empty())
        return;
    restore(undone.back().second);
    done.push_back(undone.back());
    undone.pop_back();
}

}  // namespace literal
