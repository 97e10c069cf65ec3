#include "RegionRuns_p.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>

namespace Halcon::Detail {

namespace {

bool runLess(const Run& a, const Run& b)
{
    return a.row < b.row || (a.row == b.row && a.colBegin < b.colBegin);
}

// Widens `last` by `r` when r, which starts no earlier, overlaps or touches it on its row.
bool mergeInto(Run& last, const Run& r)
{
    if (r.row != last.row || std::int64_t(r.colBegin) > std::int64_t(last.colEnd) + 1)
        return false;
    last.colEnd = std::max(last.colEnd, r.colEnd);
    return true;
}

// Merges touching runs of an already sorted list in place.
void mergeSorted(Runs& runs)
{
    if (runs.empty())
        return;
    size_t out = 0;
    for (size_t i = 1; i < runs.size(); ++i) {
        if (!mergeInto(runs[out], runs[i]))
            runs[++out] = runs[i];
    }
    runs.resize(out + 1);
}

int findRoot(std::vector<int>& parent, int i)
{
    while (parent[size_t(i)] != i) {
        parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        i = parent[size_t(i)];
    }
    return i;
}

} // namespace

std::int64_t runsArea(const Runs& runs)
{
    std::int64_t area = 0;
    for (const Run& r : runs)
        area += std::int64_t(r.colEnd) - r.colBegin + 1;
    return area;
}

RunMoments runsMoments(const Runs& runs)
{
    RunMoments m;
    double sumRow = 0.0;
    double sumColumn = 0.0;
    for (const Run& r : runs) {
        const std::int64_t n = std::int64_t(r.colEnd) - r.colBegin + 1;
        m.area += n;
        sumRow += double(r.row) * double(n);
        // Sum of the columns cb..colEnd.
        sumColumn += (double(r.colBegin) + double(r.colEnd)) * double(n) * 0.5;
    }
    if (m.area > 0) {
        m.row = sumRow / double(m.area);
        m.column = sumColumn / double(m.area);
    }
    return m;
}

bool runsBoundingBox(const Runs& runs, int& row1, int& column1, int& row2, int& column2)
{
    if (runs.empty())
        return false;
    row1 = runs.front().row;
    row2 = runs.back().row;
    column1 = runs.front().colBegin;
    column2 = runs.front().colEnd;
    for (const Run& r : runs) {
        column1 = std::min(column1, r.colBegin);
        column2 = std::max(column2, r.colEnd);
    }
    return true;
}

Runs runsUnion(const Runs& a, const Runs& b)
{
    Runs out;
    out.reserve(a.size() + b.size());
    std::merge(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out), runLess);
    mergeSorted(out);
    return out;
}

namespace {

// The pieces of a few runs in a long list: each run looks up its row in the long list
// (galloping on from the last one), so a colony against a region of the whole picture costs
// in proportion to the colony.
Runs fewInMany(const Runs& few, const Runs& many)
{
    Runs out;
    size_t j = 0;
    for (const Run& ra : few) {
        // First run of `many` not wholly before ra.
        const auto before = [&ra](const Run& rb) {
            return rb.row < ra.row || (rb.row == ra.row && rb.colEnd < ra.colBegin);
        };
        size_t step = 1;
        size_t hi = j;
        while (hi < many.size() && before(many[hi])) {
            j = hi + 1;
            hi += step;
            step *= 2;
        }
        j = size_t(std::partition_point(many.begin() + std::ptrdiff_t(j),
                                        many.begin() + std::ptrdiff_t(std::min(hi, many.size())), before)
                   - many.begin());
        for (size_t k = j; k < many.size() && many[k].row == ra.row && many[k].colBegin <= ra.colEnd; ++k)
            out.push_back({ra.row, std::max(ra.colBegin, many[k].colBegin), std::min(ra.colEnd, many[k].colEnd)});
    }
    return out;
}

} // namespace

Runs runsIntersection(const Runs& a, const Runs& b)
{
    // Beyond this ratio the lookups cost less than walking the long list.
    constexpr size_t kRatio = 16;
    if (a.size() * kRatio < b.size())
        return fewInMany(a, b);
    if (b.size() * kRatio < a.size())
        return fewInMany(b, a);
    Runs out;
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const Run& ra = a[i];
        const Run& rb = b[j];
        if (ra.row < rb.row) {
            ++i;
            continue;
        }
        if (rb.row < ra.row) {
            ++j;
            continue;
        }
        const int lo = std::max(ra.colBegin, rb.colBegin);
        const int hi = std::min(ra.colEnd, rb.colEnd);
        if (lo <= hi)
            out.push_back({ra.row, lo, hi});
        if (ra.colEnd < rb.colEnd)
            ++i;
        else
            ++j;
    }
    return out;
}

Runs runsDifference(const Runs& a, const Runs& b)
{
    Runs out;
    out.reserve(a.size());
    size_t j = 0;
    for (const Run& ra : a) {
        while (j < b.size() && (b[j].row < ra.row || (b[j].row == ra.row && b[j].colEnd < ra.colBegin)))
            ++j;
        std::int64_t current = ra.colBegin;
        for (size_t k = j; k < b.size() && b[k].row == ra.row && b[k].colBegin <= ra.colEnd; ++k) {
            if (b[k].colBegin > current)
                out.push_back({ra.row, int(current), b[k].colBegin - 1});
            current = std::max<std::int64_t>(current, std::int64_t(b[k].colEnd) + 1);
        }
        if (current <= ra.colEnd)
            out.push_back({ra.row, int(current), ra.colEnd});
    }
    return out;
}

Runs runsComplement(const Runs& a, int width, int height)
{
    Runs out;
    if (width <= 0 || height <= 0)
        return out;
    size_t i = 0;
    for (int row = 0; row < height; ++row) {
        while (i < a.size() && a[i].row < row)
            ++i;
        int next = 0;
        for (; i < a.size() && a[i].row == row; ++i) {
            const int cb = std::max(a[i].colBegin, 0);
            const int ce = std::min(a[i].colEnd, width - 1);
            if (cb > ce)
                continue;
            if (cb > next)
                out.push_back({row, next, cb - 1});
            next = std::max(next, ce + 1);
        }
        if (next < width)
            out.push_back({row, next, width - 1});
    }
    return out;
}

Runs runsClip(const Runs& a, int width, int height)
{
    Runs out;
    out.reserve(a.size());
    for (const Run& r : a) {
        if (r.row < 0 || r.row >= height)
            continue;
        const int cb = std::max(r.colBegin, 0);
        const int ce = std::min(r.colEnd, width - 1);
        if (cb <= ce)
            out.push_back({r.row, cb, ce});
    }
    return out;
}

bool runsContain(const Runs& a, int row, int column)
{
    // First run that starts after the point; the run before it is the only candidate.
    const Run key{row, column, column};
    auto it = std::upper_bound(a.begin(), a.end(), key, [](const Run& k, const Run& r) {
        return k.row < r.row || (k.row == r.row && k.colBegin < r.colBegin);
    });
    if (it == a.begin())
        return false;
    --it;
    return it->row == row && it->colBegin <= column && column <= it->colEnd;
}

bool runsSubset(const Runs& inner, const Runs& outer)
{
    size_t j = 0;
    for (const Run& r : inner) {
        while (j < outer.size()
               && (outer[j].row < r.row || (outer[j].row == r.row && outer[j].colEnd < r.colBegin)))
            ++j;
        // Outer runs are merged, so one of them must hold the whole inner run.
        if (j == outer.size() || outer[j].row != r.row || outer[j].colBegin > r.colBegin || outer[j].colEnd < r.colEnd)
            return false;
    }
    return true;
}

Runs runsDilate(const Runs& a, const std::vector<ElementRow>& element)
{
    Runs out;
    if (a.empty() || element.empty())
        return out;
    // Row by row: an output row gathers, from every row of the element, the widened runs of
    // the input row it reaches back to, and only those few are ordered and merged. Each
    // element row keeps its place in the input, which only moves on; rows that nothing
    // reaches are passed over.
    const size_t rows = element.size();
    std::vector<size_t> next(rows, 0);
    // About one run per row of a compact region, and as many more rows as the element adds.
    out.reserve(a.size() + rows);
    std::int64_t y = std::numeric_limits<std::int64_t>::max();
    for (const ElementRow& e : element)
        y = std::min(y, std::int64_t(a.front().row) + e.dy);
    Runs gathered;
    gathered.reserve(rows);
    for (;;) {
        gathered.clear();
        std::int64_t following = std::numeric_limits<std::int64_t>::max();
        for (size_t k = 0; k < rows; ++k) {
            const ElementRow& e = element[k];
            const std::int64_t source = y - e.dy;
            size_t& i = next[k];
            while (i < a.size() && a[i].row < source)
                ++i;
            for (; i < a.size() && a[i].row == source; ++i)
                gathered.push_back({std::int32_t(y), a[i].colBegin + e.left, a[i].colEnd + e.right});
            if (i < a.size())
                following = std::min(following, std::int64_t(a[i].row) + e.dy);
        }
        std::sort(gathered.begin(), gathered.end(),
                  [](const Run& p, const Run& q) { return p.colBegin < q.colBegin; });
        for (const Run& r : gathered) {
            if (out.empty() || !mergeInto(out.back(), r))
                out.push_back(r);
        }
        if (following == std::numeric_limits<std::int64_t>::max())
            break;
        y = following;
    }
    return out;
}

std::vector<Runs> runsConnection(const Runs& a, bool eightNeighbourhood)
{
    std::vector<Runs> components;
    const int n = int(a.size());
    if (n == 0)
        return components;
    std::vector<int> parent(static_cast<size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    const int reach = eightNeighbourhood ? 1 : 0;

    // Sweep row pairs: [prevBegin, prevEnd) holds the runs of the row directly above.
    int prevBegin = 0;
    int prevEnd = 0;
    int i = 0;
    while (i < n) {
        const int row = a[size_t(i)].row;
        int rowEnd = i;
        while (rowEnd < n && a[size_t(rowEnd)].row == row)
            ++rowEnd;
        if (prevEnd > prevBegin && a[size_t(prevBegin)].row == row - 1) {
            int p = prevBegin;
            for (int c = i; c < rowEnd; ++c) {
                const Run& cur = a[size_t(c)];
                while (p < prevEnd && a[size_t(p)].colEnd + reach < cur.colBegin)
                    ++p;
                for (int q = p; q < prevEnd && a[size_t(q)].colBegin <= cur.colEnd + reach; ++q) {
                    const int ra = findRoot(parent, c);
                    const int rb = findRoot(parent, q);
                    if (ra != rb) {
                        // The smaller index wins, so a root is always the first run of its set.
                        if (ra < rb)
                            parent[size_t(rb)] = ra;
                        else
                            parent[size_t(ra)] = rb;
                    }
                }
            }
        }
        prevBegin = i;
        prevEnd = rowEnd;
        i = rowEnd;
    }

    // Label in order of first run; runs stay sorted inside each component.
    std::vector<int> label(static_cast<size_t>(n));
    std::vector<int> counts;
    for (int k = 0; k < n; ++k) {
        const int root = findRoot(parent, k);
        if (root == k) {
            label[size_t(k)] = int(counts.size());
            counts.push_back(0);
        } else {
            label[size_t(k)] = label[size_t(root)];
        }
        ++counts[size_t(label[size_t(k)])];
    }
    components.resize(counts.size());
    for (size_t c = 0; c < counts.size(); ++c)
        components[c].reserve(size_t(counts[c]));
    for (int k = 0; k < n; ++k)
        components[size_t(label[size_t(k)])].push_back(a[size_t(k)]);
    return components;
}

} // namespace Halcon::Detail
