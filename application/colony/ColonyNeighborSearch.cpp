#include "ColonyNeighborSearch.h"

#include "ErrorCodes.h"
#include "ITaskCancellation.h"

#include <Halcon.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

constexpr Errors::Type_Error kAborted = 100;
constexpr double kNoNeighbor = std::numeric_limits<double>::max();
// Colonies per chunk of work handed to a thread.
constexpr int kGrain = 16;

struct Box {
    double row1 = 0.0;
    double column1 = 0.0;
    double row2 = -1.0;
    double column2 = -1.0;
    bool valid = false;
};

Box contourBox(const Halcon::Hobject& contour)
{
    Box box;
    Halcon::HTuple row1, column1, row2, column2;
    if (Halcon::smallest_rectangle1_xld(contour, &row1, &column1, &row2, &column2) != Halcon::kSuccess
        || row1.Length() != 1)
        return box;
    box.row1 = row1.D();
    box.column1 = column1.D();
    box.row2 = row2.D();
    box.column2 = column2.D();
    box.valid = std::isfinite(box.row1) && std::isfinite(box.column1) && std::isfinite(box.row2)
        && std::isfinite(box.column2) && box.row1 <= box.row2 && box.column1 <= box.column2;
    return box;
}

double gap(const Box& a, const Box& b)
{
    const double rows = std::max({0.0, a.row1 - b.row2, b.row1 - a.row2});
    const double columns = std::max({0.0, a.column1 - b.column2, b.column1 - a.column2});
    return std::sqrt(rows * rows + columns * columns);
}

// Contours are never closer than their boxes; a measured distance may come out a hair below
// the exact gap, so the margin keeps every pair that could still tie.
bool beyond(double boxGap, double best)
{
    return boxGap > best + 1e-9 * (1.0 + best);
}

// Distance of a pair as the search along the columns measures it: later colony first.
bool pairDistance(const ImageColony& later, const ImageColony& earlier, double& distance)
{
    Halcon::HTuple result;
    // Made once: a tuple made per pair cost a string and a list for each of thousands.
    static const Halcon::HTuple kMode("point_to_segment");
    if (Halcon::distance_cc_min(later.Contour, earlier.Contour, kMode, &result) != Halcon::kSuccess
        || result.IsEmpty())
        return false;
    distance = result.D();
    return distance >= 0.0;
}

// The bounds of the valid boxes among first[i] .. last[i], for every i (row1 > row2 where
// there is none). Both ends of the range only move on as i grows, so each bound is kept by
// a queue of the candidates that can still be the extreme: one pass over the boxes.
std::vector<Box> rangeBounds(const std::vector<Box>& boxes, const std::vector<size_t>& first,
                             const std::vector<size_t>& last)
{
    const size_t n = boxes.size();
    std::vector<Box> bounds(n);
    const auto bound = [&](auto value, auto better, auto store) {
        std::vector<size_t> queue; // values get worse from front to back
        queue.reserve(n);
        size_t head = 0;
        size_t next = 0;
        for (size_t i = 0; i < n; ++i) {
            for (; next <= last[i]; ++next) {
                while (queue.size() > head && !better(value(queue.back()), value(next)))
                    queue.pop_back();
                queue.push_back(next);
            }
            while (queue[head] < first[i])
                ++head;
            store(bounds[i], value(queue[head]));
        }
    };
    const auto box = [&](size_t j) -> const Box& { return boxes[j]; };
    const auto less = [](double a, double b) { return a < b; };
    const auto greater = [](double a, double b) { return a > b; };
    const double none = kNoNeighbor;
    bound([&](size_t j) { return box(j).valid ? box(j).row1 : none; }, less, [](Box& b, double v) { b.row1 = v; });
    bound([&](size_t j) { return box(j).valid ? box(j).column1 : none; }, less, [](Box& b, double v) { b.column1 = v; });
    bound([&](size_t j) { return box(j).valid ? box(j).row2 : -none; }, greater, [](Box& b, double v) { b.row2 = v; });
    bound([&](size_t j) { return box(j).valid ? box(j).column2 : -none; }, greater,
          [](Box& b, double v) { b.column2 = v; });
    return bounds;
}

// The valid boxes filed under every cell of a square grid they overlap.
class BoxGrid {
public:
    BoxGrid(const std::vector<Box>& boxes)
    {
        std::vector<double> sizes;
        Box all{kNoNeighbor, kNoNeighbor, -kNoNeighbor, -kNoNeighbor, false};
        for (const Box& b : boxes) {
            if (!b.valid)
                continue;
            sizes.push_back(std::max(b.row2 - b.row1, b.column2 - b.column1));
            all = {std::min(all.row1, b.row1), std::min(all.column1, b.column1), std::max(all.row2, b.row2),
                   std::max(all.column2, b.column2), true};
        }
        if (sizes.empty())
            return;
        m_row0 = all.row1;
        m_column0 = all.column1;
        // About one colony across a cell, and no more cells than a few per colony.
        std::nth_element(sizes.begin(), sizes.begin() + std::ptrdiff_t(sizes.size() / 2), sizes.end());
        m_cell = std::max(1.0, sizes[sizes.size() / 2]);
        const double area = (all.row2 - all.row1 + 1.0) * (all.column2 - all.column1 + 1.0);
        m_cell = std::max(m_cell, std::sqrt(area / double(4 * sizes.size() + 16)));
        m_rows = int(std::floor((all.row2 - m_row0) / m_cell)) + 1;
        m_columns = int(std::floor((all.column2 - m_column0) / m_cell)) + 1;

        std::vector<int> counts(size_t(m_rows) * size_t(m_columns) + 1, 0);
        forEachCell(boxes, [&](size_t cell, size_t) { ++counts[cell + 1]; });
        for (size_t c = 1; c < counts.size(); ++c)
            counts[c] += counts[c - 1];
        m_starts = counts;
        m_items.resize(size_t(counts.back()));
        forEachCell(boxes, [&](size_t cell, size_t item) { m_items[size_t(counts[cell]++)] = int(item); });
    }

    bool empty() const { return m_items.empty(); }
    double cellSize() const { return m_cell; }

    // Cell range [r1, r2] x [c1, c2] covering the rectangle, clipped to the grid.
    void cells(double row1, double column1, double row2, double column2, int& r1, int& c1, int& r2, int& c2) const
    {
        r1 = index(row1, m_row0, m_rows);
        r2 = index(row2, m_row0, m_rows);
        c1 = index(column1, m_column0, m_columns);
        c2 = index(column2, m_column0, m_columns);
    }

    template<class Visit>
    void visitCell(int row, int column, Visit&& visit) const
    {
        const size_t cell = size_t(row) * size_t(m_columns) + size_t(column);
        for (int k = m_starts[cell]; k < m_starts[cell + 1]; ++k)
            visit(size_t(m_items[size_t(k)]));
    }

private:
    int index(double value, double origin, int count) const
    {
        const double cell = std::floor((value - origin) / m_cell);
        return int(std::clamp(cell, 0.0, double(count - 1)));
    }

    template<class Add>
    void forEachCell(const std::vector<Box>& boxes, Add&& add) const
    {
        for (size_t i = 0; i < boxes.size(); ++i) {
            const Box& b = boxes[i];
            if (!b.valid)
                continue;
            int r1, c1, r2, c2;
            cells(b.row1, b.column1, b.row2, b.column2, r1, c1, r2, c2);
            for (int r = r1; r <= r2; ++r)
                for (int c = c1; c <= c2; ++c)
                    add(size_t(r) * size_t(m_columns) + size_t(c), i);
        }
    }

    double m_row0 = 0.0;
    double m_column0 = 0.0;
    double m_cell = 1.0;
    int m_rows = 0;
    int m_columns = 0;
    std::vector<int> m_starts;
    std::vector<int> m_items;
};

struct Best {
    double distance = kNoNeighbor;
    size_t index = 0;
    bool found = false;

    void offer(double d, size_t j)
    {
        if (d < distance || (found && d == distance && j < index)) {
            distance = d;
            index = j;
            found = true;
        }
    }
};

class Search {
public:
    Search(std::vector<ImageColony>& colonies, double window)
        : m_colonies(colonies)
        , m_n(colonies.size())
    {
        m_boxes.resize(m_n);
        Halcon::parallel_work("colony_neighbors", int(m_n), kGrain, [&](int first, int end) {
            for (int i = first; i < end; ++i)
                m_boxes[size_t(i)] = contourBox(colonies[size_t(i)].Contour);
        });
        for (size_t i = 0; i < m_n; ++i) {
            if (!m_boxes[i].valid)
                m_unboxed.push_back(i);
        }
        // lo[i]: the first earlier colony that colony i is compared with, exactly as a walk
        // along the columns moves it on.
        // The columns are read from an array of their own, not from the colonies' large records.
        std::vector<double> x(m_n);
        for (size_t i = 0; i < m_n; ++i)
            x[i] = colonies[i].PosX_px;
        m_first.assign(m_n, 0);
        size_t lo = 0;
        for (size_t i = 1; i < m_n; ++i) {
            m_first[i] = lo;
            if (i + 1 < m_n) {
                for (size_t j = lo; j < i + 1 && x[i + 1] - x[j] >= window; ++j)
                    lo = j;
            }
        }
        // last[i]: the last later colony that is compared with colony i (first[] never falls).
        m_last.assign(m_n, 0);
        size_t k = 0;
        for (size_t i = 0; i < m_n; ++i) {
            k = std::max(k, i);
            while (k + 1 < m_n && m_first[k + 1] <= i)
                ++k;
            m_last[i] = k;
        }
        m_bounds = rangeBounds(m_boxes, m_first, m_last);
        m_grid = std::make_unique<BoxGrid>(m_boxes);
    }

    void run(size_t i, std::vector<std::uint32_t>& stamps, std::uint32_t stamp)
    {
        const size_t first = m_first[i];
        const size_t last = m_last[i];
        if (first == last)
            return;
        Best best;
        const auto consider = [&](size_t j) {
            if (j == i || j < first || j > last)
                return;
            const Box& a = m_boxes[i];
            const Box& b = m_boxes[j];
            if (a.valid && b.valid && beyond(gap(a, b), best.distance))
                return;
            double d = 0.0;
            if (pairDistance(m_colonies[std::max(i, j)], m_colonies[std::min(i, j)], d))
                best.offer(d, j);
        };
        for (size_t j : m_unboxed)
            consider(j);
        if (!m_boxes[i].valid) {
            for (size_t j = first; j <= last; ++j) {
                if (m_boxes[j].valid)
                    consider(j);
            }
        } else if (!m_grid->empty()) {
            searchGrid(i, stamps, stamp, consider, best);
        }
        if (best.found) {
            m_colonies[i].NeighborDistance_px = best.distance;
            m_colonies[i].NeighborIndex = m_colonies[best.index].ColonyIndex;
        }
    }

private:
    // Rings of grid cells around the colony's box, nearest first, until the ring lies beyond
    // the best distance so far or covers every compared colony.
    template<class Consider>
    void searchGrid(size_t i, std::vector<std::uint32_t>& stamps, std::uint32_t stamp, Consider& consider,
                    const Best& best)
    {
        const Box& own = m_boxes[i];
        const Box& reach = m_bounds[i];
        if (reach.row1 > reach.row2)
            return;
        int lr1, lc1, lr2, lc2;
        m_grid->cells(reach.row1, reach.column1, reach.row2, reach.column2, lr1, lc1, lr2, lc2);
        const double cell = m_grid->cellSize();
        int pr1 = 0, pc1 = 0, pr2 = -1, pc2 = -1; // cells of the previous ring
        for (int ring = 0;; ++ring) {
            const double grow = ring * cell;
            int r1, c1, r2, c2;
            m_grid->cells(own.row1 - grow, own.column1 - grow, own.row2 + grow, own.column2 + grow, r1, c1, r2, c2);
            r1 = std::max(r1, lr1);
            c1 = std::max(c1, lc1);
            r2 = std::min(r2, lr2);
            c2 = std::min(c2, lc2);
            for (int r = r1; r <= r2; ++r) {
                for (int c = c1; c <= c2; ++c) {
                    if (r >= pr1 && r <= pr2 && c >= pc1 && c <= pc2)
                        continue;
                    m_grid->visitCell(r, c, [&](size_t j) {
                        if (stamps[j] == stamp)
                            return;
                        stamps[j] = stamp;
                        consider(j);
                    });
                }
            }
            pr1 = r1;
            pc1 = c1;
            pr2 = r2;
            pc2 = c2;
            // Boxes outside the rectangle grown by `grow` lie farther than grow.
            const bool covered = r1 <= lr1 && c1 <= lc1 && r2 >= lr2 && c2 >= lc2;
            if (covered || beyond(grow, best.distance))
                return;
        }
    }

    std::vector<ImageColony>& m_colonies;
    const size_t m_n;
    std::vector<Box> m_boxes;
    std::vector<size_t> m_unboxed;
    std::vector<size_t> m_first;
    std::vector<size_t> m_last;
    std::vector<Box> m_bounds;
    std::unique_ptr<BoxGrid> m_grid;
};

} // namespace

Errors::Type_Error ColonyNeighborSearch::measure(std::vector<ImageColony>& colonies, double window,
                                                 ITaskCancellation* cancellation)
{
    const size_t n = colonies.size();
    if (n < 2)
        return kNoError;
    Search search(colonies, window);
    std::atomic<bool> stopped{false};
    Halcon::parallel_work("colony_neighbors", int(n), kGrain, [&](int firstColony, int endColony) {
        thread_local std::vector<std::uint32_t> stamps;
        thread_local std::uint32_t stamp = 0;
        if (stamps.size() < n) {
            stamps.assign(n, 0);
            stamp = 0;
        }
        for (int i = firstColony; i < endColony; ++i) {
            if (stopped.load(std::memory_order_relaxed))
                return;
            if (++stamp == 0) {
                std::fill(stamps.begin(), stamps.end(), 0);
                stamp = 1;
            }
            search.run(size_t(i), stamps, stamp);
            if (i >= 1 && size_t(i) + 1 < n && cancellation && cancellation->isCancelled()) {
                stopped.store(true, std::memory_order_relaxed);
                return;
            }
        }
    });
    return stopped.load() ? kAborted : kNoError;
}
