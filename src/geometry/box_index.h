#pragma once
// A static packed R-tree over axis-aligned boxes in the plane (internal).
//
// Built once from all boxes, sixteen to a node: in their own order when
// every run of sixteen forms a connected band, as a chain's segments do,
// else sorted along a Hilbert curve of their centres. Then queried many
// times: O(n log n) to build, O(log n + k) per query of k hits. Only the
// standard library.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace drovik {

struct PlaneBox {
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;

    bool Overlaps(const PlaneBox& other) const {
        return minX <= other.maxX && other.minX <= maxX && minY <= other.maxY && other.minY <= maxY;
    }
    PlaneBox Grown(double margin) const { return {minX - margin, minY - margin, maxX + margin, maxY + margin}; }
    // Square of the plan distance from (x, y) to the box (0 inside).
    double DistanceSquaredTo(double x, double y) const {
        const double dx = x < minX ? minX - x : (x > maxX ? x - maxX : 0.0);
        const double dy = y < minY ? minY - y : (y > maxY ? y - maxY : 0.0);
        return dx * dx + dy * dy;
    }
};

class BoxIndex {
public:
    explicit BoxIndex(const std::vector<PlaneBox>& boxes);

    // Calls visit(item) for every box that overlaps query, item being the
    // box's position in the array given to the constructor; visit answers
    // false to stop the search. Answers false when it was stopped.
    template <class Visit>
    bool Query(const PlaneBox& query, Visit&& visit) const {
        return Walk([&](const PlaneBox& box) { return box.Overlaps(query); }, visit);
    }

    // The same for the boxes within distance reach of (x, y), a disc rather
    // than a square: fewer nodes to open around a point.
    template <class Visit>
    bool QueryNear(double x, double y, double reach, Visit&& visit) const {
        const double reachSq = reach * reach;
        return Walk([&](const PlaneBox& box) { return box.DistanceSquaredTo(x, y) <= reachSq; }, visit);
    }

    // Calls visit(i, j) once for every two items i < j whose boxes lie
    // within margin of each other: box i grown by margin overlaps box j.
    // One walk down the tree for all pairs, instead of a query per item;
    // the order of the calls is the tree's, not the items'. visit answers
    // false to stop; answers false when it was stopped.
    template <class Visit>
    bool Pairs(double margin, Visit&& visit) const {
        if (m_levels.empty()) return true;
        // Nodes are opened when either one grown overlaps the other, the
        // test of their items with the rounding of the items' own test, so
        // no pair is lost.
        auto near = [margin](const PlaneBox& a, const PlaneBox& b) {
            return a.Grown(margin).Overlaps(b) || b.Grown(margin).Overlaps(a);
        };
        auto items = [&](std::uint32_t i, std::uint32_t j) {
            const std::uint32_t a = m_items[i], b = m_items[j];
            const std::uint32_t lo = a < b ? i : j, hi = a < b ? j : i;
            if (!m_boxes[lo].Grown(margin).Overlaps(m_boxes[hi])) return true;
            return static_cast<bool>(visit(static_cast<int>(m_items[lo]), static_cast<int>(m_items[hi])));
        };
        // The pairs of child nodes of nodes a <= b at `level` (above 1); a
        // child pairs with itself.
        auto children = [&](std::size_t level, std::uint32_t a, std::uint32_t b, auto&& each) {
            const Level& below = m_levels[level - 1];
            const std::uint32_t beginA = a * kNodeSize, endA = std::min(beginA + kNodeSize, below.count);
            const std::uint32_t beginB = b * kNodeSize, endB = std::min(beginB + kNodeSize, below.count);
            for (std::uint32_t i = beginA; i < endA; ++i)
                for (std::uint32_t j = a == b ? i : beginB; j < endB; ++j)
                    if (near(m_boxes[below.first + i], m_boxes[below.first + j]) && !each(i, j)) return false;
            return true;
        };
        const std::size_t top = m_levels.size() - 1;
        if (top == 0) return LeafPairs(0, 0, near, items);
        std::vector<std::uint64_t>& stack = m_pairStack;
        stack.clear();
        const Level& topLevel = m_levels[top];
        for (std::uint32_t i = 0; i < topLevel.count; ++i)
            for (std::uint32_t j = i; j < topLevel.count; ++j)
                if (near(m_boxes[topLevel.first + i], m_boxes[topLevel.first + j]))
                    stack.push_back(EncodePair(top, i, j));
        while (!stack.empty()) {
            const std::uint64_t code = stack.back();
            stack.pop_back();
            const std::size_t level = static_cast<std::size_t>(code >> (2 * kLevelShift));
            const std::uint32_t a = static_cast<std::uint32_t>(code >> kLevelShift) & kNodeMask;
            const std::uint32_t b = static_cast<std::uint32_t>(code) & kNodeMask;
            if (level == 1) {
                if (!LeafPairs(a, b, near, items)) return false;
                continue;
            }
            children(level, a, b, [&](std::uint32_t i, std::uint32_t j) {
                stack.push_back(EncodePair(level - 1, i, j));
                return true;
            });
        }
        return true;
    }

private:
    // Level 0 in the order of the boxes' centres along a Hilbert curve.
    void SortAlongCurve(const std::vector<PlaneBox>& boxes);
    // The levels above level 0, up to a single root node.
    void BuildLevels();

    // The item pairs of lowest nodes a <= b. Of two different nodes only
    // the items near the other node can pair up, a few where they touch.
    template <class Near, class Items>
    bool LeafPairs(std::uint32_t a, std::uint32_t b, Near& near, Items& items) const {
        const Level& leaves = m_levels[0];
        const std::uint32_t beginA = a * kNodeSize, endA = std::min(beginA + kNodeSize, leaves.count);
        if (a == b) {
            for (std::uint32_t i = beginA; i < endA; ++i)
                for (std::uint32_t j = i + 1; j < endA; ++j)
                    if (!items(i, j)) return false;
            return true;
        }
        const std::uint32_t beginB = b * kNodeSize, endB = std::min(beginB + kNodeSize, leaves.count);
        const std::size_t nodes = m_levels[1].first;
        const PlaneBox& boxA = m_boxes[nodes + a];
        const PlaneBox& boxB = m_boxes[nodes + b];
        std::uint32_t nearA[kNodeSize], nearB[kNodeSize];
        std::uint32_t countA = 0, countB = 0;
        for (std::uint32_t i = beginA; i < endA; ++i)
            if (near(m_boxes[i], boxB)) nearA[countA++] = i;
        if (countA == 0) return true;
        for (std::uint32_t j = beginB; j < endB; ++j)
            if (near(m_boxes[j], boxA)) nearB[countB++] = j;
        for (std::uint32_t i = 0; i < countA; ++i)
            for (std::uint32_t j = 0; j < countB; ++j)
                if (!items(nearA[i], nearB[j])) return false;
        return true;
    }

    // Depth first; a node's children are tested before they are stacked, and
    // the items under a lowest node are visited at once.
    template <class Wanted, class Visit>
    bool Walk(Wanted&& wanted, Visit&& visit) const {
        if (m_levels.empty()) return true;
        std::vector<std::uint32_t>& stack = m_stack;
        stack.clear();
        const std::size_t top = m_levels.size() - 1;
        if (top == 0) return VisitItems(0, m_levels[0].count, wanted, visit);
        const Level& topLevel = m_levels[top];
        for (std::uint32_t i = 0; i < topLevel.count; ++i)
            if (wanted(m_boxes[topLevel.first + i])) stack.push_back(Encode(top, i));
        while (!stack.empty()) {
            const std::uint32_t code = stack.back();
            stack.pop_back();
            const std::size_t level = code >> kLevelShift;
            const std::uint32_t node = code & kNodeMask;
            const Level& below = m_levels[level - 1];
            const std::uint32_t begin = node * kNodeSize;
            const std::uint32_t end = begin + kNodeSize < below.count ? begin + kNodeSize : below.count;
            if (level == 1) {
                if (!VisitItems(begin, end, wanted, visit)) return false;
                continue;
            }
            for (std::uint32_t child = begin; child < end; ++child)
                if (wanted(m_boxes[below.first + child])) stack.push_back(Encode(level - 1, child));
        }
        return true;
    }

    template <class Wanted, class Visit>
    bool VisitItems(std::uint32_t begin, std::uint32_t end, Wanted& wanted, Visit& visit) const {
        for (std::uint32_t i = begin; i < end; ++i)
            if (wanted(m_boxes[i]) && !visit(static_cast<int>(m_items[i]))) return false;
        return true;
    }

    static constexpr std::uint32_t kNodeSize = 16;
    static constexpr std::uint32_t kLevelShift = 27;  // up to 2^27 boxes, 32 levels
    static constexpr std::uint32_t kNodeMask = (1u << kLevelShift) - 1u;
    static std::uint32_t Encode(std::size_t level, std::uint32_t node) {
        return (static_cast<std::uint32_t>(level) << kLevelShift) | node;
    }

    static std::uint64_t EncodePair(std::size_t level, std::uint32_t a, std::uint32_t b) {
        return (static_cast<std::uint64_t>(level) << (2 * kLevelShift)) |
               (static_cast<std::uint64_t>(a) << kLevelShift) | b;
    }

    struct Level {
        std::uint32_t first = 0;  // position of its first box in m_boxes
        std::uint32_t count = 0;
    };
    std::vector<PlaneBox> m_boxes;      // level 0 (the items, in tree order), then each level up
    std::vector<std::uint32_t> m_items; // item of each level-0 box
    std::vector<Level> m_levels;
    mutable std::vector<std::uint32_t> m_stack;  // reused by every query; the index is not shared between threads
    mutable std::vector<std::uint64_t> m_pairStack;
};

}  // namespace drovik
