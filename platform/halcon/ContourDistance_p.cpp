#include "ContourDistance_p.h"

#include "ContourGeometry_p.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

namespace Halcon::Detail {

namespace {

// Items (points or sides) per leaf: small enough that a leaf pair is cheap, large enough
// that the boxes above them stay few.
constexpr std::size_t kLeafItems = 8;

struct Box
{
    double row1, col1, row2, col2;
};

Box boxOf(const XldPoint &p)
{
    return {p.row, p.col, p.row, p.col};
}

void extend(Box &box, const XldPoint &p)
{
    box.row1 = std::min(box.row1, p.row);
    box.row2 = std::max(box.row2, p.row);
    box.col1 = std::min(box.col1, p.col);
    box.col2 = std::max(box.col2, p.col);
}

Box unite(const Box &a, const Box &b)
{
    return {std::min(a.row1, b.row1), std::min(a.col1, b.col1), std::max(a.row2, b.row2), std::max(a.col2, b.col2)};
}

// Squared gap between two boxes, or between a point and a box: no pair of what they hold
// lies closer.
double gap2(const Box &a, const Box &b)
{
    const double gr = std::max({0.0, a.row1 - b.row2, b.row1 - a.row2});
    const double gc = std::max({0.0, a.col1 - b.col2, b.col1 - a.col2});
    return gr * gr + gc * gc;
}

double gap2(const XldPoint &p, const Box &b)
{
    const double gr = std::max({0.0, b.row1 - p.row, p.row - b.row2});
    const double gc = std::max({0.0, b.col1 - p.col, p.col - b.col2});
    return gr * gr + gc * gc;
}

// A pair is left out only when its bound lies clearly above the best: a rounded distance
// may come out a hair below the bound of its exact value, and must still be compared.
bool beyond(double bound2, double best2)
{
    return bound2 > best2 + 1e-9 * (1.0 + best2);
}

struct Node
{
    Box box;
    std::size_t first = 0; // first item
    std::size_t end = 0;   // one past the last item
    std::size_t left = 0;  // children, when not a leaf
    std::size_t right = 0;
    bool leaf = true;
};

// Boxes over a point list: a leaf holds up to kLeafItems consecutive items, an inner node
// the union of two neighbours. Items are the points, or the sides from each point to the
// next (a single point is one side of no length). Neighbouring points lie close together
// along a contour, so the boxes stay small.
class ItemTree
{
public:
    void build(const std::vector<XldPoint> &points, bool sides)
    {
        m_points = &points;
        m_sides = sides;
        const std::size_t n = points.size();
        m_items = sides ? std::max<std::size_t>(n - 1, 1) : n;
        m_nodes.clear();
        m_level.clear();
        for (std::size_t first = 0; first < m_items; first += kLeafItems) {
            Node leaf;
            leaf.first = first;
            leaf.end = std::min(first + kLeafItems, m_items);
            leaf.box = boxOf(points[first]);
            for (std::size_t i = first + 1; i <= lastPoint(leaf); ++i)
                extend(leaf.box, points[i]);
            m_level.push_back(m_nodes.size());
            m_nodes.push_back(leaf);
        }
        while (m_level.size() > 1) {
            std::size_t kept = 0;
            for (std::size_t i = 0; i < m_level.size(); i += 2) {
                if (i + 1 == m_level.size()) {
                    m_level[kept++] = m_level[i];
                    continue;
                }
                Node parent;
                parent.leaf = false;
                parent.left = m_level[i];
                parent.right = m_level[i + 1];
                parent.first = m_nodes[parent.left].first;
                parent.end = m_nodes[parent.right].end;
                parent.box = unite(m_nodes[parent.left].box, m_nodes[parent.right].box);
                m_level[kept++] = m_nodes.size();
                m_nodes.push_back(parent);
            }
            m_level.resize(kept);
        }
    }

    std::size_t root() const { return m_level.front(); }
    const Node &node(std::size_t i) const { return m_nodes[i]; }
    const XldPoint &point(std::size_t i) const { return (*m_points)[i]; }
    // Last point an item range touches: a side ends at the next point.
    std::size_t lastPoint(const Node &node) const
    {
        return m_sides ? std::min(node.end, m_points->size() - 1) : node.end - 1;
    }
    const XldPoint &sideEnd(std::size_t side) const
    {
        return (*m_points)[std::min(side + 1, m_points->size() - 1)];
    }

private:
    const std::vector<XldPoint> *m_points = nullptr;
    bool m_sides = false;
    std::size_t m_items = 0;
    std::vector<Node> m_nodes;
    std::vector<std::size_t> m_level;
};

// Contours of at least this many points keep their trees between calls: a container
// outline is measured against every colony inside it, and building its tree each time
// would cost as much as the measuring.
constexpr std::size_t kKeptTreePoints = 64;

// The points of an element the caller has checked to be a contour.
const std::vector<XldPoint> &pointsOf(const ElementPtr &contour)
{
    return static_cast<const XldElement &>(*contour).points;
}

// The trees of the last few long contours measured on this thread. Holding the element
// keeps its identity (and the points the tree reads) valid.
class TreeCache
{
public:
    // The tree of element; `inUse` (a tree handed out before) is never the one replaced.
    const ItemTree &treeOf(const ElementPtr &element, bool sides, const ItemTree *inUse)
    {
        // The slot owns its element, so an equal address is that very element.
        for (Slot &slot : m_slots) {
            if (slot.element.get() == element.get() && slot.sides == sides)
                return slot.tree;
        }
        if (&m_slots[m_next].tree == inUse)
            m_next = (m_next + 1) % m_slots.size();
        Slot &slot = m_slots[m_next];
        m_next = (m_next + 1) % m_slots.size();
        slot.element = element;
        slot.sides = sides;
        slot.tree.build(pointsOf(element), sides);
        return slot.tree;
    }

private:
    struct Slot
    {
        ElementPtr element;
        bool sides = false;
        ItemTree tree;
    };
    std::array<Slot, 4> m_slots;
    std::size_t m_next = 0;
};

// Kept per thread: the neighbour search measures thousands of pairs, and allocating the
// trees for each would cost more than the measuring.
struct Scratch
{
    ItemTree a;
    ItemTree b;
    TreeCache kept;
    std::vector<std::pair<std::size_t, std::size_t>> stack;

    const ItemTree &treeOf(const ElementPtr &element, bool sides, ItemTree &own, const ItemTree *inUse)
    {
        const std::vector<XldPoint> &points = pointsOf(element);
        if (points.size() >= kKeptTreePoints)
            return kept.treeOf(element, sides, inUse);
        own.build(points, sides);
        return own;
    }
};

class Search
{
public:
    Search(const ItemTree &a, const ItemTree &b, bool sides, bool crossings)
        : m_a(a)
        , m_b(b)
        , m_sides(sides)
        , m_crossings(crossings)
    {
    }

    double run(std::vector<std::pair<std::size_t, std::size_t>> &stack)
    {
        stack.clear();
        stack.emplace_back(m_a.root(), m_b.root());
        while (!stack.empty()) {
            const auto [ia, ib] = stack.back();
            stack.pop_back();
            const Node &na = m_a.node(ia);
            const Node &nb = m_b.node(ib);
            if (beyond(gap2(na.box, nb.box), m_best))
                continue;
            if (na.leaf && nb.leaf) {
                leafPair(na, nb);
                if (m_best == 0.0)
                    break;
                continue;
            }
            // Split the larger of the two; the nearer child pair is measured first, so the
            // best distance shrinks early and prunes the rest.
            const bool splitA = nb.leaf || (!na.leaf && extent(na.box) >= extent(nb.box));
            std::pair<std::size_t, std::size_t> first, second;
            if (splitA) {
                first = {na.left, ib};
                second = {na.right, ib};
            } else {
                first = {ia, nb.left};
                second = {ia, nb.right};
            }
            if (gap2(m_a.node(first.first).box, m_b.node(first.second).box)
                > gap2(m_a.node(second.first).box, m_b.node(second.second).box))
                std::swap(first, second);
            stack.push_back(second);
            stack.push_back(first);
        }
        return m_best;
    }

private:
    static double extent(const Box &box) { return (box.row2 - box.row1) + (box.col2 - box.col1); }

    void leafPair(const Node &na, const Node &nb)
    {
        if (beyond(axisGap(na, nb), m_best))
            return;
        if (!m_sides) {
            pointsToPoints(na, nb);
            return;
        }
        if (m_crossings && gap2(na.box, nb.box) == 0.0 && sidesMeet(na, nb)) {
            m_best = 0.0;
            return;
        }
        pointsToSides(m_a, na, m_b, nb);
        pointsToSides(m_b, nb, m_a, na);
    }

    // Squared gap between the points of two leaves (and so their sides) seen along the line
    // through their boxes' centres: no pair of what they hold lies closer. Where the boxes'
    // corners come close but the points do not, as between a colony and the arcs of the
    // container outline around it, this leaves out the pair before its points are measured.
    double axisGap(const Node &na, const Node &nb) const
    {
        const double ur = (nb.box.row1 + nb.box.row2) - (na.box.row1 + na.box.row2);
        const double uc = (nb.box.col1 + nb.box.col2) - (na.box.col1 + na.box.col2);
        const double length = std::sqrt(ur * ur + uc * uc);
        if (!(length > 0.0))
            return 0.0;
        double reachA = -std::numeric_limits<double>::infinity();
        for (std::size_t i = na.first; i <= m_a.lastPoint(na); ++i)
            reachA = std::max(reachA, m_a.point(i).row * ur + m_a.point(i).col * uc);
        double reachB = std::numeric_limits<double>::infinity();
        for (std::size_t k = nb.first; k <= m_b.lastPoint(nb); ++k)
            reachB = std::min(reachB, m_b.point(k).row * ur + m_b.point(k).col * uc);
        const double gap = std::max(0.0, (reachB - reachA) / length);
        return gap * gap;
    }

    bool sidesMeet(const Node &na, const Node &nb) const
    {
        for (std::size_t i = na.first; i < na.end; ++i) {
            const XldPoint &p = m_a.point(i), &q = m_a.sideEnd(i);
            Box side = boxOf(p);
            extend(side, q);
            if (gap2(side, nb.box) > 0.0)
                continue;
            for (std::size_t k = nb.first; k < nb.end; ++k) {
                if (segmentsMeet(p, q, m_b.point(k), m_b.sideEnd(k)))
                    return true;
            }
        }
        return false;
    }

    void pointsToSides(const ItemTree &from, const Node &points, const ItemTree &to, const Node &sides)
    {
        for (std::size_t i = points.first; i <= from.lastPoint(points); ++i) {
            const XldPoint &p = from.point(i);
            if (beyond(gap2(p, sides.box), m_best))
                continue;
            for (std::size_t k = sides.first; k < sides.end; ++k) {
                const XldPoint &a = to.point(k), &b = to.sideEnd(k);
                const double gr = std::max({0.0, std::min(a.row, b.row) - p.row, p.row - std::max(a.row, b.row)});
                const double gc = std::max({0.0, std::min(a.col, b.col) - p.col, p.col - std::max(a.col, b.col)});
                if (beyond(gr * gr + gc * gc, m_best))
                    continue;
                m_best = std::min(m_best, pointSegmentDistance2(p, a, b));
            }
        }
    }

    void pointsToPoints(const Node &na, const Node &nb)
    {
        for (std::size_t i = na.first; i < na.end; ++i) {
            const XldPoint &p = m_a.point(i);
            if (beyond(gap2(p, nb.box), m_best))
                continue;
            for (std::size_t k = nb.first; k < nb.end; ++k) {
                const XldPoint &q = m_b.point(k);
                m_best = std::min(m_best, (p.row - q.row) * (p.row - q.row) + (p.col - q.col) * (p.col - q.col));
            }
        }
    }

    const ItemTree &m_a;
    const ItemTree &m_b;
    const bool m_sides;
    const bool m_crossings;
    double m_best = std::numeric_limits<double>::infinity();
};

} // namespace

double contourDistance(const ElementPtr &a, const ElementPtr &b, bool pointToPoint)
{
    thread_local Scratch scratch;
    const bool sides = !pointToPoint;
    const ItemTree &treeA = scratch.treeOf(a, sides, scratch.a, nullptr);
    const ItemTree &treeB = scratch.treeOf(b, sides, scratch.b, &treeA);
    Search search(treeA, treeB, sides, sides && pointsOf(a).size() > 1 && pointsOf(b).size() > 1);
    return std::sqrt(search.run(scratch.stack));
}

} // namespace Halcon::Detail
