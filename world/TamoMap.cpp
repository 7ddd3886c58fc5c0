#include "world/TamoMap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "media/FileStream.h"
#include "media/SkyDome.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "platform/ViewFrustum.h"
#include "world/ByteWriter.h"
#include "world/CellChanges.h"
#include "world/MapFormat.h"
#include "world/RayCellWalk.h"
#include "world/CursorSource.h"
#include "world/EditChoices.h"
#include "world/TamoSector.h"
#include "world/WorldHistory.h"
#include "world/WorldHost.h"
#include "world/WorldSettings.h"

namespace {

bool fail(std::string* why, const char* reason) {
    if (why)
        *why = reason;
    return false;
}

std::optional<MapBlock> cellState(const TamoSector& sector, int32_t x, int32_t y, int32_t z) {
    const MapBlock* block = sector.findBlock(x, y, z);
    return block ? std::optional<MapBlock>(*block) : std::nullopt;
}

// Integer division rounding towards minus infinity.
int32_t floorDiv(int32_t value, int32_t divisor) {
    int32_t quotient = value / divisor;
    if ((value % divisor != 0) && ((value < 0) != (divisor < 0)))
        --quotient;
    return quotient;
}

}  // namespace

TamoMap::TamoMap(WorldHost* host) : host(host), settings(&host->worldSettings()) {
    const Vector3 start = startPoint(settings->blockWidth, settings->blockHeight);
    TamoSector* first = host->createSector(start, sectorSize);
    if (first && sectors.append(first))
        first->setBlock(0, 0, 0, true, host->editChoices().material);
    else
        delete first;
}

Vector3 TamoMap::startPoint(int32_t blockWidth, int32_t blockHeight) {
    const float w = static_cast<float>(blockWidth);
    const float h = static_cast<float>(blockHeight);
    // 200 sector extents from the world origin along each axis.
    return Vector3(w * 4000.0f, 20.0f * h * 200.0f, 20.0f * w * 200.0f);
}

TamoMap::~TamoMap() {
    destroySectors();
}

void TamoMap::destroySectors() {
    for (TamoSector* sector : sectors)
        delete sector;
    sectors.clear();
    gridCurrent = false;
}

int32_t TamoMap::findSector(const Vector3& point) const {
    if (const SectorGrid* listed = sectorGrid()) {
        listed->at(point, &gridFound);
        for (int32_t i : gridFound)
            if (sectors[i]->containsPoint(point))
                return i;
        return -1;
    }
    for (int32_t i = 0; i < sectors.count(); ++i)
        if (sectors[i]->containsPoint(point))
            return i;
    return -1;
}

void TamoMap::sectorsNear(const double low[3], const double high[3],
                          std::vector<int32_t>* out) const {
    const SectorGrid* listed = sectorGrid();
    if (listed && listed->near(low, high, out))
        return;
    out->resize(static_cast<size_t>(sectors.count()));
    for (int32_t i = 0; i < sectors.count(); ++i)
        (*out)[static_cast<size_t>(i)] = i;
}

const SectorGrid* TamoMap::sectorGrid() const {
    const int32_t w = settings->blockWidth, h = settings->blockHeight;
    if (w <= 0 || h <= 0)
        return nullptr;
    if (!gridCurrent || w != gridBlockWidth || h != gridBlockHeight) {
        const float ew = 2.0f * static_cast<float>(sectorSize) * static_cast<float>(w);
        const float eh = 2.0f * static_cast<float>(sectorSize) * static_cast<float>(h);
        grid.reset(Vector3(ew, eh, ew));
        gridBlockWidth = w;
        gridBlockHeight = h;
        gridCurrent = true;
        for (int32_t i = 0; i < sectors.count(); ++i)
            listInGrid(i);
    }
    return &grid;
}

void TamoMap::gridAdd(int32_t index) {
    if (gridCurrent)
        listInGrid(index);
}

// A sector's box as its containsPoint bounds it (the far corner a float
// sum), widened by more than the rounding the ray walk allows around a
// sector's cells and the float rounding of the sums.
void TamoMap::listInGrid(int32_t index) const {
    const TamoSector& sector = *sectors[index];
    const float cell[3] = {static_cast<float>(gridBlockWidth), static_cast<float>(gridBlockHeight),
                           static_cast<float>(gridBlockWidth)};
    const float origin[3] = {sector.origin.x, sector.origin.y, sector.origin.z};
    double low[3], high[3];
    for (int a = 0; a < 3; ++a) {
        const float extent = static_cast<float>(sector.size * static_cast<int32_t>(cell[a]));
        const double slack =
            (sector.size + 1.0) * cell[a] * 0x1p-17 +
            (std::fabs(static_cast<double>(origin[a])) + std::fabs(extent)) * 0x1p-20;
        low[a] = static_cast<double>(origin[a]) - slack;
        high[a] = static_cast<double>(origin[a] + extent) + slack;
    }
    grid.add(index, low, high);
}

int32_t TamoMap::findOrCreateSector(const Vector3& point) {
    const int32_t found = findSector(point);
    if (found != -1)
        return found;
    const int32_t ex = sectorSize * settings->blockWidth;
    const int32_t ey = sectorSize * settings->blockHeight;
    const int32_t ez = sectorSize * settings->blockWidth;
    const Vector3 origin(std::floor(point.x / ex) * ex, std::floor(point.y / ey) * ey,
                         std::floor(point.z / ez) * ez);
    TamoSector* sector = host->createSector(origin, sectorSize);
    if (!sector)
        return -1;
    if (!sectors.append(sector)) {
        delete sector;
        return -1;
    }
    gridAdd(sectors.count() - 1);
    if (history)
        history->sectorAdded();
    return sectors.count() - 1;
}

void TamoMap::reportCells(CellChanges&& changes) {
    if (history)
        history->cellsChanged(std::move(changes));
}

void TamoMap::appendSector(TamoSector* sector) {
    if (sectors.append(sector))
        gridAdd(sectors.count() - 1);
    else
        delete sector;
}

TamoSector* TamoMap::takeLastSector() {
    return takeSector(sectors.count() - 1);
}

TamoSector* TamoMap::takeSector(int32_t index) {
    TamoSector* taken = nullptr;
    if (!sectors.removeAt(index, &taken))
        return nullptr;
    gridCurrent = false;
    return taken;
}

void TamoMap::swapSectors(std::vector<TamoSector*>& list) {
    std::vector<TamoSector*> mine(sectors.begin(), sectors.end());
    sectors.assign(std::move(list));
    gridCurrent = false;
    list = std::move(mine);
}

bool TamoMap::setCell(int32_t i, int32_t x, int32_t y, int32_t z, bool place,
                      const FaceMaterial& material) {
    TamoSector& sector = *sectors[i];
    if (!history)
        return sector.setBlock(x, y, z, place, material);
    const std::optional<MapBlock> before = cellState(sector, x, y, z);
    const bool done = sector.setBlock(x, y, z, place, material);
    history->cellChanged(i, x, y, z, before, cellState(sector, x, y, z));
    return done;
}

// The fixed-step march: the points start + k steps, accumulated, each tested
// against the sectors in list order. The walk visits only the points where
// the cell of a sector near the ray changes.
void TamoMap::marchRay(const Vector3& start, const Vector3& end, float step, Vector3* hit,
                       int32_t* sectorIndex) const {
    Vector3 offset = end - start;
    const float len = length(offset);
    const Vector3 n = normalise(offset);
    *hit = end;
    if (!(step > 0.0f))
        return;  // a ray that cannot advance meets nothing
    const float w = static_cast<float>(settings->blockWidth);
    const float h = static_cast<float>(settings->blockHeight);
    if (!(w > 0.0f) || !(h > 0.0f)) {
        marchRayThroughAll(start, len, n, step, hit, sectorIndex);
        return;
    }
    RayCellWalk walk(sectors, w, h, sectorGrid());
    Vector3 met;
    int32_t index = -1;
    if (walk.walk(start, n * step, step, len, &met, &index)) {
        *hit = met;
        *sectorIndex = index;
    }
}

// The march asking every sector at every point, for block sizes that give no
// cells to bound the search with.
void TamoMap::marchRayThroughAll(const Vector3& start, float len, const Vector3& n, float step,
                                 Vector3* hit, int32_t* sectorIndex) const {
    Vector3 p = start;
    for (float t = 0.0f; t <= len; t += step) {
        for (int32_t i = 0; i < sectors.count(); ++i) {
            if (sectors[i]->hasBlockAt(p)) {
                *hit = p;
                *sectorIndex = i;
                return;
            }
        }
        p = p + n * step;
    }
}

bool TamoMap::cursorRay(Ray* ray) const {
    const CursorSource* cursor = host->cursorSource();
    GLContext* gl = settings->glContext;
    if (!gl || !cursor)
        return false;
    const PointerState pointer = cursor->getPointerState();
    ray->start =
        gl->unproject(static_cast<float>(pointer.mouseX), static_cast<float>(pointer.mouseY));
    Vector3 towards = ray->start - gl->eye;
    ray->direction = normalise(towards);
    return true;
}

bool TamoMap::pick(const Ray& ray, int32_t maxDistance, float step, BlockHit* hit) const {
    const Vector3 end = ray.start + ray.direction * static_cast<float>(maxDistance);
    marchRay(ray.start, end, step, &hit->point, &hit->sector);
    return hit->point != end;
}

bool TamoMap::pickAtCursor(int32_t maxDistance, float step, Vector3* hit,
                           int32_t* sectorIndex) const {
    Ray ray;
    if (!cursorRay(&ray))
        return false;
    BlockHit found;
    found.sector = *sectorIndex;
    const bool met = pick(ray, maxDistance, step, &found);
    *hit = found.point;
    *sectorIndex = found.sector;
    return met;
}

void TamoMap::editBlockAt(const BlockHit& hit, const Ray& ray, bool place,
                          const FaceMaterial& material) {
    int32_t i = hit.sector;
    if (i < 0 || i >= sectors.count())
        return;
    Vector3 p = hit.point;
    if (place) {
        p = placementPoint(hit, ray);
        if (!sectors[i]->containsPoint(p))
            i = findOrCreateSector(p);
        if (i < 0)
            return;
    }
    int32_t x = 0, y = 0, z = 0;
    if (sectors[i]->cellOf(p, x, y, z))
        setCell(i, x, y, z, place, material);
}

void TamoMap::paintFaceAt(const BlockHit& hit) {
    paintFaceAt(hit, host->editChoices().material);
}

void TamoMap::paintFaceAt(const BlockHit& hit, const FaceMaterial& material) {
    if (hit.sector < 0 || hit.sector >= sectors.count())
        return;
    TamoSector& sector = *sectors[hit.sector];
    MapBlock* block = nullptr;
    int32_t face = 0;
    if (!history || !sector.nearestFace(hit.point, block, face)) {
        sector.paintFaceAt(hit.point, material);
        return;
    }
    const int32_t x = block->x, y = block->y, z = block->z;
    const std::optional<MapBlock> before = *block;
    sector.paintFaceAt(hit.point, material);
    history->cellChanged(hit.sector, x, y, z, before, cellState(sector, x, y, z));
}

std::optional<FaceMaterial> TamoMap::materialAt(const BlockHit& hit) const {
    if (hit.sector < 0 || hit.sector >= sectors.count())
        return std::nullopt;
    return sectors[hit.sector]->materialAt(hit.point);
}

void TamoMap::pickMaterialAt(const BlockHit& hit) {
    if (const std::optional<FaceMaterial> found = materialAt(hit))
        host->materialPicked(*found);
}

bool TamoMap::setBlockAt(const Vector3& point, bool place) {
    return setBlockAt(point, place, host->editChoices().material);
}

bool TamoMap::setBlockAt(const Vector3& point, bool place, const FaceMaterial& material) {
    const int32_t i = findOrCreateSector(point);
    if (i < 0)
        return false;
    int32_t x = 0, y = 0, z = 0;
    if (!sectors[i]->cellOf(point, x, y, z))
        return false;
    return setCell(i, x, y, z, place, material);
}

void TamoMap::editBlockAtCursor(bool place) {
    const EditChoices& choices = host->editChoices();
    Ray ray;
    BlockHit hit;
    if (choices.view3D && cursorRay(&ray) && pick(ray, CursorRayLength, BlockEditStep, &hit))
        editBlockAt(hit, ray, place, choices.material);
}

bool TamoMap::placementPointAtCursor(Vector3* point) const {
    Ray ray;
    BlockHit hit;
    if (!host->editChoices().view3D || !cursorRay(&ray) ||
        !pick(ray, CursorRayLength, BlockEditStep, &hit))
        return false;
    *point = placementPoint(hit, ray);
    return true;
}

void TamoMap::paintFaceAtCursor() {
    const EditChoices& choices = host->editChoices();
    Ray ray;
    BlockHit hit;
    if (choices.view3D && cursorRay(&ray) && pick(ray, CursorRayLength, FaceEditStep, &hit))
        paintFaceAt(hit, choices.material);
}

void TamoMap::pickMaterialAtCursor() {
    Ray ray;
    BlockHit hit;
    if (host->editChoices().view3D && cursorRay(&ray) &&
        pick(ray, CursorRayLength, FaceEditStep, &hit))
        pickMaterialAt(hit);
}

int32_t TamoMap::planCellOf(int32_t windowPixel, float scroll) const {
    // Cells below zero round down like the plan view draws them, so the cell
    // edited is the one shown under the cursor on both sides of zero.
    const int32_t pixel = static_cast<int32_t>(std::floor(windowPixel + scroll));
    return floorDiv(pixel, settings->planCellSize);
}

void TamoMap::planCellAt(int32_t windowX, int32_t windowY, int32_t* x, int32_t* z) const {
    planCellAt(windowX, windowY, host->editChoices().planView(), x, z);
}

void TamoMap::planCellAt(int32_t windowX, int32_t windowY, const PlanView& plan, int32_t* x,
                         int32_t* z) const {
    *x = planCellOf(windowX, plan.scrollX);
    *z = planCellOf(windowY, plan.scrollY);
}

void TamoMap::editBlockLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool place) {
    const EditChoices& choices = host->editChoices();
    if (!choices.view3D)
        editBlockLine(x0, y0, x1, y1, place, choices.material, choices.planView());
}

void TamoMap::editBlockLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool place,
                            const FaceMaterial& material, const PlanView& plan) {
    int32_t cx0 = 0, cy0 = 0, cx1 = 0, cy1 = 0;
    planCellAt(x0, y0, plan, &cx0, &cy0);
    planCellAt(x1, y1, plan, &cx1, &cy1);
    const float w = static_cast<float>(settings->blockWidth);
    const float h = static_cast<float>(settings->blockHeight);
    const float levelY = plan.level * h + h * 0.5f;
    walkLine(cx0, cy0, cx1, cy1, [&](int32_t cx, int32_t cy) {
        setBlockAt(Vector3(cx * w + w * 0.5f, levelY, cy * w + w * 0.5f), place, material);
        return true;
    });
}

void TamoMap::walkLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                       const std::function<bool(int32_t, int32_t)>& visit) {
    if (x0 == x1 && y0 == y1) {
        visit(x0, y0);
        return;
    }
    const int32_t dx = std::abs(x1 - x0);
    const int32_t dy = std::abs(y1 - y0);
    const int32_t sx = x0 > x1 ? -1 : 1;
    const int32_t sy = y0 > y1 ? -1 : 1;
    const bool xMajor = dx >= dy;
    const int32_t n = xMajor ? dx + 1 : dy + 1;
    int32_t err = xMajor ? 2 * dy - dx : 2 * dx - dy;
    const int32_t straightErr = xMajor ? 2 * dy : 2 * dx;
    const int32_t diagonalErr = xMajor ? 2 * (dy - dx) : 2 * (dx - dy);
    int32_t x = x0;
    int32_t y = y0;
    for (int32_t i = 0; i < n - 1; ++i) {
        if (!visit(x, y))
            return;
        if (err < 0) {
            if (xMajor)
                x += sx;
            else
                y += sy;
            err += straightErr;
        } else {
            x += sx;
            y += sy;
            err += diagonalErr;
        }
    }
}

void TamoMap::draw() {
    const EditChoices& choices = host->editChoices();
    draw(choices.view3D, choices.planView());
}

void TamoMap::draw(bool view3D, const PlanView& plan) {
    GLContext* gl = settings->glContext;
    const ViewFrustum view =
        view3D && settings->cullToView && gl ? gl->viewFrustum() : ViewFrustum();
    DrawCounts counts;
    counts.sectorsTotal = sectors.count();
    for (int32_t i : sectorsByLevel()) {
        TamoSector& sector = *sectors[i];
        if (view3D) {
            sector.rebuild();
            counts.quadsTotal += sector.compiledQuads;
            Vector3 low, high;
            if (!sector.drawnBounds(&low, &high) || !view.mayShow(low, high))
                continue;
            counts.quadsDrawn += sector.compiledQuads;
        }
        ++counts.sectorsDrawn;
        sector.drawSector(view3D, plan);
    }
    drawCounts = counts;
}

void TamoMap::drawWithSky(const SkyDome& sky) {
    const EditChoices& choices = host->editChoices();
    drawWithSky(sky, choices.view3D, choices.planView());
}

void TamoMap::drawWithSky(const SkyDome& sky, bool view3D, const PlanView& plan) {
    GLContext* gl = settings->glContext;
    const Vector3 eye = gl ? gl->eye : Vector3();
    // The plan view sets colours of its own, which the sky would take on.
    if (!view3D || !gl) {
        sky.drawSkyDome(eye, 0.0f);
        draw(view3D, plan);
        return;
    }
    draw(view3D, plan);
    sky.drawBehind(*gl, eye, 0.0f);
}

// Sectors only join at the end or are all replaced, so the order of the
// last draw usually holds: checking it costs one pass, sorting again only
// when it does not.
const std::vector<int32_t>& TamoMap::sectorsByLevel() {
    const auto lower = [this](int32_t a, int32_t b) {
        const float ya = sectors[a]->getOrigin().y;
        const float yb = sectors[b]->getOrigin().y;
        return ya < yb || (!(yb < ya) && a < b);
    };
    if (levelOrder.size() == static_cast<size_t>(sectors.count()) &&
        std::is_sorted(levelOrder.begin(), levelOrder.end(), lower))
        return levelOrder;
    levelOrder.resize(static_cast<size_t>(sectors.count()));
    for (int32_t i = 0; i < sectors.count(); ++i)
        levelOrder[static_cast<size_t>(i)] = i;
    std::sort(levelOrder.begin(), levelOrder.end(), lower);
    return levelOrder;
}

bool TamoMap::save(FileStream& stream) const {
    ByteWriter out(stream);
    write(out);
    return out.finish();
}

void TamoMap::write(ByteWriter& out) const {
    write(out, writtenOrder);
}

void TamoMap::write(ByteWriter& out, MapFormat::RecordOrder order) const {
    MapFormat::writeCount(out, sectors.count());
    for (int32_t i : writeOrder(order))
        sectors[i]->writeRecord(out, order);
}

std::vector<int32_t> TamoMap::writeOrder() const {
    return writeOrder(writtenOrder);
}

std::vector<int32_t> TamoMap::writeOrder(MapFormat::RecordOrder recordOrder) const {
    std::vector<int32_t> order(static_cast<size_t>(sectors.count()));
    for (int32_t i = 0; i < sectors.count(); ++i)
        order[static_cast<size_t>(i)] = i;
    if (recordOrder == MapFormat::RecordOrder::Canonical)
        std::stable_sort(order.begin(), order.end(), [this](int32_t a, int32_t b) {
            return MapFormat::canonicalSectorBefore(sectors[a]->size, sectors[a]->origin,
                                                    sectors[b]->size, sectors[b]->origin);
        });
    return order;
}

bool TamoMap::load(FileStream& stream, std::string* why) {
    const int64_t start = stream.position();
    MapFormat::WorldRecords records;
    if (start < 0)
        return fail(why, "the file cannot be read");
    if (!MapFormat::readWorld(stream, &records, why)) {
        stream.seek(start, 0);
        return false;
    }
    const int64_t spriteSection = start + static_cast<int64_t>(records.mapSectionBytes);
    if (!stream.seek(spriteSection, 0))
        return fail(why, "the file cannot be read");
    if (!replaceSectors(std::move(records.sectors), why)) {
        stream.seek(start, 0);
        return false;
    }
    return true;
}

bool TamoMap::replaceSectors(std::vector<TamoSectorData>&& records, std::string* why) {
    // Built aside first: should one not build, those built so far go and the
    // map keeps its own.
    // The blocks are in memory already; what building adds per sector is
    // about its objects. A world that would not fit is refused here, not
    // found out when the system ends the program.
    const int64_t available = host->availableMemory();
    if (available >= 0 && static_cast<int64_t>(records.size()) > available / EstimatedSectorBytes)
        return fail(why, "there is not enough memory for the world");
    std::vector<std::unique_ptr<TamoSector>> built;
    std::vector<TamoSector*> list;
    try {
        built.reserve(records.size());
        list.reserve(records.size());
        for (TamoSectorData& record : records) {
            built.emplace_back(host->createSectorFromData(std::move(record)));
            if (!built.back())
                return fail(why, "a sector record cannot be read");
        }
    } catch (const std::bad_alloc&) {
        return fail(why, "there is not enough memory for the world");
    }
    if (history) {
        std::vector<TamoSector*> previous(sectors.begin(), sectors.end());
        sectors.clear();
        gridCurrent = false;
        history->sectorsReplaced(std::move(previous));
    } else {
        destroySectors();
    }
    // Storage for the list was made above: no sector can be dropped here.
    for (std::unique_ptr<TamoSector>& sector : built)
        list.push_back(sector.release());
    sectors.assign(std::move(list));
    gridCurrent = false;
    return true;
}
