#pragma once
// A static packed R-tree over axis-aligned boxes in the plane (internal).
//
// Built once from all boxes (sorted along a Hilbert curve of their centres,
// sixteen to a node), then queried many times: O(n log n) to build,
// O(log n + k) per query of k hits. Only the standard library.
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

private:
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

    struct Level {
        std::uint32_t first = 0;  // position of its first box in m_boxes
        std::uint32_t count = 0;
    };
    std::vector<PlaneBox> m_boxes;      // level 0 (the items, in curve order), then each level up
    std::vector<std::uint32_t> m_items; // item of each level-0 box
    std::vector<Level> m_levels;
    mutable std::vector<std::uint32_t> m_stack;  // reused by every query; the index is not shared between threads
};

}  // namespace drovik
