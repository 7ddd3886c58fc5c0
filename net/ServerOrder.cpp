#include "net/ServerOrder.h"

#include <algorithm>
#include <climits>

#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldEdit.h"
#include "world/WorldHistory.h"

using Protocol::Change;

namespace {

bool isSectorChange(const Change& change) {
    return change.type == Change::SectorAdd || change.type == Change::SectorRemove ||
           change.type == Change::CellSet || change.type == Change::CellClear;
}

// The id after id, as every copy's sprite set counts (it stops at the largest).
int32_t after(int32_t id) {
    return id == INT32_MAX ? INT32_MAX : id + 1;
}

}  // namespace

ServerOrder::ServerOrder(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history,
                         WorldHost& host)
        : map(map), sprites(sprites), history(history), applier(map, sprites, host) {}

ServerOrder::SectorKey ServerOrder::keyOf(const Change& change) {
    return {change.origin.x, change.origin.y, change.origin.z, change.size};
}

uint32_t ServerOrder::cellCode(const MapBlock& block) {
    // Cells of a sector are below 1024 on each axis (the largest sector is 1000).
    return (static_cast<uint32_t>(block.x & 1023) << 20) |
           (static_cast<uint32_t>(block.y & 1023) << 10) | static_cast<uint32_t>(block.z & 1023);
}

void ServerOrder::reset() {
    sectors.clear();
    figures.clear();
    sectorOrder.clear();
    citySectors.clear();
    for (int32_t i = 0; i < map.sectorCount(); ++i) {
        Change change;
        change.origin = map.sector(i)->origin;
        change.size = map.sector(i)->size;
        addToCity(keyOf(change));
    }
    figureOrder.clear();
    cityFigures.clear();
    for (int32_t i = 0; i < sprites.count(); ++i) {
        figureOrder.push_back(sprites.object(i).id);
        cityFigures.insert(sprites.object(i).id);
    }
    nextId = sprites.getNextId();
    unnumbered = 0;
}

void ServerOrder::addToCity(const SectorKey& key) {
    if (citySectors.insert(key).second)
        sectorOrder.push_back(key);
}

void ServerOrder::removeFromCity(const SectorKey& key) {
    if (citySectors.erase(key) != 0)
        sectorOrder.erase(std::find(sectorOrder.begin(), sectorOrder.end(), key));
}

int32_t ServerOrder::spriteIndex(int32_t id) const {
    return WorldEdit::findSprite(sprites, id);
}

void ServerOrder::made(const Change& change, const std::optional<MapBlock>& cellBefore,
                       const SpriteObject* spriteBefore) {
    if (isSectorChange(change)) {
        Sector& sector = sectors[keyOf(change)];
        ++sector.ops;
        if (change.type != Change::CellClear)
            ++sector.creating;
        if (change.type == Change::CellSet || change.type == Change::CellClear) {
            Cell& cell = sector.cells[cellCode(change.block)];
            if (cell.ops++ == 0)
                cell.city = cellBefore;  // the cell was as the server has it
        }
        return;
    }
    Figure& figure = figures[change.sprite.id];
    if (figure.ops++ == 0 && spriteBefore)
        figure.city = *spriteBefore;
    if (change.type == Change::SpriteAdd)
        ++unnumbered;
    if (change.type == Change::SpriteRemove)
        ++figure.removes;
    else
        figure.last = change.sprite;
}

void ServerOrder::returned(const Change& change) {
    if (isSectorChange(change)) {
        const SectorKey key = keyOf(change);
        const auto found = sectors.find(key);
        if (found == sectors.end())
            return;
        Sector& sector = found->second;
        if (change.type != Change::CellClear) {
            --sector.creating;
            addToCity(key);
        }
        if (change.type == Change::CellSet || change.type == Change::CellClear) {
            const auto cell = sector.cells.find(cellCode(change.block));
            if (cell != sector.cells.end()) {
                if (inCity(key))
                    cell->second.city = change.type == Change::CellSet
                                            ? std::optional<MapBlock>(change.block)
                                            : std::nullopt;
                if (--cell->second.ops == 0)
                    sector.cells.erase(cell);
            }
        }
        if (--sector.ops == 0)
            sectors.erase(found);
        return;
    }
    // An own figure added takes the server's next id, which is its own:
    // every figure added before it is numbered.
    const int32_t id = change.type == Change::SpriteAdd ? nextId : change.sprite.id;
    const auto found = figures.find(id);
    if (found == figures.end())
        return;
    Figure& figure = found->second;
    switch (change.type) {
    case Change::SpriteAdd:
        figure.city = change.sprite;
        figure.city.id = id;
        cityFigures.insert(id);
        figureOrder.push_back(id);
        nextId = after(nextId);
        --unnumbered;
        break;
    case Change::SpriteEdit:
        if (cityFigures.count(id) != 0)
            figure.city = change.sprite;
        break;
    case Change::SpriteRemove:
        --figure.removes;
        if (cityFigures.erase(id) != 0)
            figureOrder.erase(std::find(figureOrder.begin(), figureOrder.end(), id));
        break;
    default:
        break;
    }
    if (--figure.ops == 0)
        figures.erase(found);
}

bool ServerOrder::cityEmpty(const Change& change, const Sector& sector) const {
    const int32_t index = WorldEdit::findSector(map, change.origin, change.size);
    if (index >= 0)
        for (const MapBlock& block : map.sector(index)->blocks)
            if (block.used && sector.cells.count(cellCode(block)) == 0)
                return false;
    for (const auto& entry : sector.cells)
        if (entry.second.city && entry.second.city->used)
            return false;
    return true;
}

void ServerOrder::applySectorChange(const Change& change) {
    const SectorKey key = keyOf(change);
    const auto found = sectors.find(key);
    Sector* sector = found == sectors.end() ? nullptr : &found->second;
    Cell* cell = nullptr;
    if (sector && (change.type == Change::CellSet || change.type == Change::CellClear)) {
        const auto at = sector->cells.find(cellCode(change.block));
        cell = at == sector->cells.end() ? nullptr : &at->second;
    }
    switch (change.type) {
    case Change::SectorAdd:
        if (inCity(key))
            break;
        addToCity(key);
        if (!sector || sector->creating == 0)
            applier.apply(change);
        break;
    case Change::SectorRemove:
        if (!inCity(key))
            break;
        if (!sector) {
            applier.apply(change);
            if (WorldEdit::findSector(map, change.origin, change.size) < 0)
                removeFromCity(key);
            break;
        }
        if (!cityEmpty(change, *sector))
            break;
        removeFromCity(key);
        // Here it stays while own changes on their way make it again.
        if (sector->creating == 0)
            applier.apply(change);
        break;
    case Change::CellSet:
        addToCity(key);
        if (cell)
            cell->city = change.block;
        else
            applier.apply(change);
        break;
    case Change::CellClear:
        if (!inCity(key))
            break;
        if (cell)
            cell->city = std::nullopt;
        else
            applier.apply(change);
        break;
    default:
        break;
    }
}

void ServerOrder::restoreInCity(const Change& change) {
    auto at = figureOrder.begin() +
              std::clamp<long>(change.place, 0, static_cast<long>(figureOrder.size()));
    if (change.followed) {
        const auto follower = std::find(figureOrder.begin(), figureOrder.end(), change.following);
        if (follower != figureOrder.end())
            at = follower;
    }
    figureOrder.insert(at, change.sprite.id);
    cityFigures.insert(change.sprite.id);
}

void ServerOrder::applySpriteChange(const Change& change) {
    const int32_t id = change.sprite.id;
    const auto found = change.type == Change::SpriteAdd ? figures.end() : figures.find(id);
    Figure* figure = found == figures.end() ? nullptr : &found->second;
    switch (change.type) {
    case Change::SpriteAdd: {
        // It takes the id the first own figure on its way had.
        if (unnumbered > 0)
            renumber(1);
        SpriteObject object = change.sprite;
        object.id = nextId;
        object.selected = false;
        sprites.insertObject(sprites.count(), std::move(object));
        cityFigures.insert(nextId);
        figureOrder.push_back(nextId);
        nextId = after(nextId);
        if (unnumbered == 0)
            sprites.setNextId(nextId);
        break;
    }
    case Change::SpriteEdit:
        if (!figure)
            applier.apply(change);
        else if (cityFigures.count(id) != 0)
            figure->city = change.sprite;
        break;
    case Change::SpriteRemove:
        if (cityFigures.erase(id) == 0)
            break;
        figureOrder.erase(std::find(figureOrder.begin(), figureOrder.end(), id));
        if (!figure)
            applier.apply(change);
        else if (figure->removes == 0 && spriteIndex(id) >= 0)
            sprites.removeObject(spriteIndex(id));  // own edits of it then do nothing
        break;
    case Change::SpriteRestore:
        if (id >= nextId) {
            // Never sent by a sound program: ids from it up are the server's.
            if (unnumbered > 0)
                renumber(id - nextId + 1);
            nextId = after(id);
            if (unnumbered == 0)
                sprites.setNextId(std::max(sprites.getNextId(), nextId));
        }
        if (cityFigures.count(id) != 0)
            break;
        restoreInCity(change);
        if (!figure) {
            applier.apply(change);
        } else {
            figure->city = change.sprite;
            if (figure->removes == 0 && spriteIndex(id) < 0) {
                SpriteObject object = figure->last;
                object.selected = false;
                sprites.insertObject(WorldEdit::restorePlace(sprites, change.place, change.followed,
                                                             change.following),
                                     std::move(object));
            }
        }
        break;
    default:
        break;
    }
}

void ServerOrder::applyFromServer(const Change& change) {
    if (isSectorChange(change))
        applySectorChange(change);
    else
        applySpriteChange(change);
}

void ServerOrder::renumber(int32_t by) {
    const int32_t from = nextId;
    for (int32_t i = 0; i < sprites.count(); ++i)
        if (sprites.object(i).id >= from)
            sprites.object(i).id += by;
    std::unordered_map<int32_t, Figure> moved;
    for (auto& [id, figure] : figures) {
        const int32_t now = id >= from ? id + by : id;
        if (figure.city.id >= from)
            figure.city.id += by;
        if (figure.last.id >= from)
            figure.last.id += by;
        moved.emplace(now, std::move(figure));
    }
    figures = std::move(moved);
    history.renumberSprites(from, by);
    if (renumberHook)
        renumberHook(from, by);
    sprites.setNextId(sprites.getNextId() + by);
}

void ServerOrder::takeServerOrder() {
    if (!sectors.empty() || !figures.empty())
        return;
    const int32_t count = map.sectorCount();
    bool inOrder = static_cast<size_t>(count) == sectorOrder.size();
    for (int32_t i = 0; inOrder && i < count; ++i) {
        const TamoSector& sector = *map.sector(i);
        inOrder = sectorOrder[static_cast<size_t>(i)] ==
                  SectorKey(sector.origin.x, sector.origin.y, sector.origin.z, sector.size);
    }
    if (!inOrder && static_cast<size_t>(count) == sectorOrder.size()) {
        std::map<SectorKey, TamoSector*> byKey;
        for (int32_t i = 0; i < count; ++i) {
            TamoSector* sector = map.sector(i);
            byKey[{sector->origin.x, sector->origin.y, sector->origin.z, sector->size}] = sector;
        }
        std::vector<TamoSector*> list;
        for (const SectorKey& key : sectorOrder) {
            const auto found = byKey.find(key);
            if (found != byKey.end())
                list.push_back(found->second);
        }
        if (list.size() == sectorOrder.size())
            map.swapSectors(list);  // the same sectors: the old list holds no others
    }
    inOrder = static_cast<size_t>(sprites.count()) == figureOrder.size();
    for (int32_t i = 0; inOrder && i < sprites.count(); ++i)
        inOrder = sprites.object(i).id == figureOrder[static_cast<size_t>(i)];
    if (inOrder || static_cast<size_t>(sprites.count()) != figureOrder.size())
        return;
    std::unordered_map<int32_t, const SpriteObject*> byId;
    for (int32_t i = 0; i < sprites.count(); ++i)
        byId[sprites.object(i).id] = &sprites.object(i);
    std::vector<SpriteObject> list;
    for (int32_t id : figureOrder) {
        const auto found = byId.find(id);
        if (found == byId.end())
            return;
        list.push_back(*found->second);
    }
    int32_t next = sprites.getNextId();
    sprites.swapContents(list, next);
}
