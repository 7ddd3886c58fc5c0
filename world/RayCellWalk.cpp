#include "world/RayCellWalk.h"

#include <algorithm>
#include <cmath>

#include "world/SampleSequence.h"
#include "world/SectorGrid.h"
#include "world/TamoSector.h"

namespace {

constexpr int64_t Never = SampleSequence::Never;

}  // namespace

RayCellWalk::RayCellWalk(const DynArray<TamoSector*>& sectors, float blockWidth, float blockHeight,
                         const SectorGrid* grid)
        : sectors(sectors), cellSize{blockWidth, blockHeight, blockWidth}, grid(grid) {}

bool RayCellWalk::walk(const Vector3& start, const Vector3& advance, float step, float length,
                       Vector3* hit, int32_t* sectorIndex) {
    SampleSequence distance(0.0f, step);
    const int64_t count =
        distance.firstWhere(0, Never, length, [length](float t) { return !(t <= length); });
    SampleSequence axes[3] = {SampleSequence(start.x, advance.x),
                              SampleSequence(start.y, advance.y),
                              SampleSequence(start.z, advance.z)};
    findCandidates(axes, count);
    int64_t k = Never;
    for (const Candidate& c : candidates)
        k = std::min(k, c.first);
    while (k < count) {
        const Vector3 p(axes[0].at(k), axes[1].at(k), axes[2].at(k));
        const float at[3] = {p.x, p.y, p.z};
        int64_t next = Never;
        // In list order, so that the first sector holding a block here wins.
        for (Candidate& c : candidates) {
            if (k > c.last)
                continue;
            if (k < c.first) {
                next = std::min(next, c.first);
                continue;
            }
            const TamoSector& sector = *sectors[c.index];
            const float origin[3] = {sector.origin.x, sector.origin.y, sector.origin.z};
            bool moved = !c.entered;
            for (int32_t a = 0; a < 3; ++a) {
                if (c.entered && c.change[a] > k)
                    continue;
                const float cell =
                    std::floor(TamoSector::cellCoordinate(at[a] - origin[a], cellSize[a]));
                moved = moved || cell != c.cell[a];
                c.cell[a] = cell;
                c.change[a] = nextChange(axes[a], a, c, k, count);
            }
            c.entered = true;
            const Reach& r = c.reach;
            bool inside = true;
            for (int32_t a = 0; a < 3; ++a)
                inside = inside && static_cast<float>(r.low[a]) <= c.cell[a] &&
                         c.cell[a] <= static_cast<float>(r.high[a]);
            // A cell asked before holds what it held then.
            if (moved && inside && sector.hasBlockAt(p)) {
                *hit = p;
                *sectorIndex = c.index;
                return true;
            }
            next = std::min({next, c.change[0], c.change[1], c.change[2]});
        }
        k = next;
    }
    return false;
}

// The sample after k where the floor of c's cell coordinate along axis a
// leaves its value; past the samples or past c's last, the end of those.
int64_t RayCellWalk::nextChange(SampleSequence& axis, int32_t a, const Candidate& c, int64_t k,
                                int64_t count) const {
    const int64_t until = std::min(count, c.last + 1);
    const int direction = axis.direction();
    if (direction == 0)
        return until;
    const float origin = a == 0   ? sectors[c.index]->origin.x
                         : a == 1 ? sectors[c.index]->origin.y
                                  : sectors[c.index]->origin.z;
    const float size = cellSize[a];
    const double cell = c.cell[a];
    const auto coordinate = [origin, size](float v) {
        return static_cast<double>(TamoSector::cellCoordinate(v - origin, size));
    };
    if (direction > 0)
        return axis.firstWhere(k + 1, until, origin + (cell + 1.0) * size,
                               [&](float v) { return coordinate(v) >= cell + 1.0; });
    return axis.firstWhere(k + 1, until, origin + cell * size,
                           [&](float v) { return coordinate(v) < cell; });
}

// Pieces of samples along which all three coordinates lie on one straight
// line (in double): each sector's box, widened by more than the rounding of
// a cell coordinate, is cut with the segment between a piece's first and
// last samples, which gives the samples that may lie in it, one more on
// either side for the rounding of the cut. Every coordinate is monotonic
// along the samples, so the first and the last bound them all: a box that
// misses their box meets no piece and is not cut at all, which keeps a
// pick in a city of many sectors to a glance at each.
void RayCellWalk::findCandidates(SampleSequence* axes, int64_t count) {
    candidates.clear();
    if (count <= 0)
        return;
    double bound[2][3];
    bool bounded = true;
    for (int32_t a = 0; a < 3; ++a) {
        const double first = axes[a].at(0), last = axes[a].at(count - 1);
        bound[0][a] = std::min(first, last);
        bound[1][a] = std::max(first, last);
        bounded = bounded && std::isfinite(first) && std::isfinite(last);
    }
    // The sectors near the samples, or all; ascending either way.
    std::vector<int32_t> nearby;
    const bool listed = bounded && grid && grid->near(bound[0], bound[1], &nearby);
    const int32_t considered = listed ? static_cast<int32_t>(nearby.size()) : sectors.count();
    std::vector<Held> held;
    for (int32_t n = 0; n < considered; ++n) {
        const int32_t i = listed ? nearby[static_cast<size_t>(n)] : n;
        const TamoSector& sector = *sectors[i];
        Reach r;
        if (!sector.recordCellBounds(r.low, r.high))
            continue;
        const double origin[3] = {sector.origin.x, sector.origin.y, sector.origin.z};
        bool empty = false;
        for (int32_t a = 0; a < 3; ++a) {
            r.low[a] = std::max(r.low[a], 0);
            r.high[a] = std::min(r.high[a], sector.size - 1);
            empty = empty || r.low[a] > r.high[a];
            const double size = cellSize[a];
            const double margin = (sector.size + 1.0) * size * 0x1p-18;
            r.box[0][a] = origin[a] + r.low[a] * size - margin;
            r.box[1][a] = origin[a] + (r.high[a] + 1.0) * size + margin;
            if (bounded && (r.box[1][a] < bound[0][a] || r.box[0][a] > bound[1][a]))
                empty = true;
        }
        if (!empty)
            held.push_back({i, -1, r});
    }
    for (int64_t k = 0; k < count;) {
        int64_t end = count;
        for (int32_t a = 0; a < 3; ++a)
            end = std::min(end, axes[a].runEnd(k));
        const int64_t last = end - 1;
        double from[3], span[3];
        bool finite = true;
        for (int32_t a = 0; a < 3; ++a) {
            from[a] = axes[a].at(k);
            span[a] = static_cast<double>(axes[a].at(last)) - from[a];
            finite = finite && std::isfinite(from[a]) && std::isfinite(span[a]);
        }
        if (!finite) {  // a coordinate that is not a number or infinite is in no cell
            k = end;
            continue;
        }
        const double samples = static_cast<double>(last - k);
        const double slack = 1.0 + samples * 1e-12;
        for (Held& h : held) {
            const Reach& r = h.reach;
            double enter = 0.0, leave = 1.0;
            for (int32_t a = 0; a < 3 && enter <= leave; ++a) {
                const double low = r.box[0][a] - from[a], high = r.box[1][a] - from[a];
                if (span[a] == 0.0) {
                    if (low > 0.0 || high < 0.0)
                        leave = -1.0;
                    continue;
                }
                const double t0 = low / span[a], t1 = high / span[a];
                enter = std::max(enter, std::min(t0, t1));
                leave = std::min(leave, std::max(t0, t1));
            }
            if (enter > leave)
                continue;
            const double first = std::floor(enter * samples - slack);
            const double final = std::ceil(leave * samples + slack);
            widen(h, first <= 0.0 ? k : k + static_cast<int64_t>(first),
                  final >= samples ? last : k + static_cast<int64_t>(final));
        }
        k = end;
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.index < b.index; });
}

void RayCellWalk::widen(Held& held, int64_t first, int64_t last) {
    if (held.slot < 0) {
        held.slot = static_cast<int32_t>(candidates.size());
        candidates.push_back({held.index, first, last, false, {0, 0, 0}, {0, 0, 0}, held.reach});
        return;
    }
    Candidate& c = candidates[static_cast<size_t>(held.slot)];
    c.first = std::min(c.first, first);
    c.last = std::max(c.last, last);
}
