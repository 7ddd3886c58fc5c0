#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "net/ChangeApplier.h"
#include "net/Protocol.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;
class WorldHost;

// Keeps one person's copy of a shared city what the server's city would be
// with this person's own changes on their way applied after it. Own changes
// stay in the world as they were made; what the server passes on (others'
// changes, and one's own undo and redo, which go out as edits) is applied in
// the server's order where no own change on its way touches it, and only
// noted in the server's city where one does, since the server applies the
// own change after it and so keeps the own result. Figures one added keep
// the ids they would take if no one else added first, and move up when
// someone did. For every cell, sector and figure own changes touch, this
// knows what the server's city holds; and it keeps the server's order of
// sectors and figures, which this copy takes on whenever no own change is
// on its way, so that every copy ends the same, list order included.
class ServerOrder {
public:
    // All four must outlive this.
    ServerOrder(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history, WorldHost& host);

    // The world as it is now is the server's city (a join).
    void reset();
    // An own change just made in the world; before: a cell's, or a sector's
    // or figure's existence before it, as the change observer tells it.
    void made(const Protocol::Change& change, const std::optional<MapBlock>& cellBefore,
              const SpriteObject* spriteBefore);
    // The oldest own change made here is now in the server's city.
    void returned(const Protocol::Change& change);
    // A change the server applied that this copy has not: applied here as
    // it would be under the own changes on their way.
    void applyFromServer(const Protocol::Change& change);
    // Ids from this up are figures this person added that the server has
    // not numbered yet.
    int32_t firstUnnumbered() const { return nextId; }
    // Nothing of one's own on its way: the lists take the server's order.
    void takeServerOrder();
    // Told when figures of id from and up were numbered up by (the ids in
    // changes not yet sent must follow).
    void setRenumberHook(std::function<void(int32_t from, int32_t by)> hook) {
        renumberHook = std::move(hook);
    }

private:
    using SectorKey = std::tuple<float, float, float, int32_t>;
    static SectorKey keyOf(const Protocol::Change& change);
    static uint32_t cellCode(const MapBlock& block);
    struct Cell {
        std::optional<MapBlock> city;  // the server's cell
        int32_t ops = 0;
    };
    struct Sector {
        int32_t ops = 0;
        int32_t creating = 0;  // own SectorAdds and CellSets
        std::unordered_map<uint32_t, Cell> cells;
    };
    struct Figure {
        int32_t ops = 0;
        int32_t removes = 0;
        SpriteObject city;  // the server's, while it holds it
        SpriteObject last;  // as one's own changes left it
    };

    bool inCity(const SectorKey& key) const { return citySectors.count(key) != 0; }
    void addToCity(const SectorKey& key);
    void removeFromCity(const SectorKey& key);
    // Whether the server's sector holds no block.
    bool cityEmpty(const Protocol::Change& change, const Sector& sector) const;
    void applySectorChange(const Protocol::Change& change);
    void applySpriteChange(const Protocol::Change& change);
    void restoreInCity(const Protocol::Change& change);
    // The figures one added and the server has not numbered move up by.
    void renumber(int32_t by);
    int32_t spriteIndex(int32_t id) const;

    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    WorldHistory& history;
    ChangeApplier applier;
    std::map<SectorKey, Sector> sectors;
    std::unordered_map<int32_t, Figure> figures;
    // The server's city: its sectors and figures in its order, its next id
    // and the figures added here that it has not numbered yet.
    std::vector<SectorKey> sectorOrder;
    std::set<SectorKey> citySectors;
    std::vector<int32_t> figureOrder;
    std::unordered_set<int32_t> cityFigures;
    int32_t nextId = 0;
    int32_t unnumbered = 0;
    std::function<void(int32_t, int32_t)> renumberHook;
};
