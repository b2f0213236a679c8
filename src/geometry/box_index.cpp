// The packed R-tree: boxes in their own order or sorted by the Hilbert index
// of their centres, then grouped sixteen to a node, level by level up to a
// single root level.
#include "geometry/box_index.h"

#include <algorithm>
#include <cmath>

namespace drovik {
namespace {

// Position of (x, y) on a Hilbert curve filling a 65536 x 65536 grid (the
// classic xy-to-distance walk, one quadrant per bit). The quadrant's flip
// and swap are done with masks, not branches, which the bits of nearby
// boxes would mispredict half the time: 65535 - v is 65535 ^ v here.
std::uint32_t HilbertIndex(std::uint32_t x, std::uint32_t y) {
    constexpr std::uint32_t kSide = 1u << 16;
    std::uint32_t index = 0;
    for (std::uint32_t s = kSide / 2; s > 0; s /= 2) {
        const std::uint32_t rx = (x & s) ? 1u : 0u;
        const std::uint32_t ry = (y & s) ? 1u : 0u;
        index += s * s * ((3u * rx) ^ ry);
        const std::uint32_t swap = 0u - (ry ^ 1u);        // all ones when ry is 0
        const std::uint32_t flip = swap & (0u - rx) & (kSide - 1);  // and rx is 1
        x ^= flip;
        y ^= flip;
        const std::uint32_t diff = (x ^ y) & swap;
        x ^= diff;
        y ^= diff;
    }
    return index;
}

PlaneBox Union(const PlaneBox* boxes, std::size_t count) {
    PlaneBox u = boxes[0];
    for (std::size_t i = 1; i < count; ++i) {
        u.minX = std::min(u.minX, boxes[i].minX);
        u.minY = std::min(u.minY, boxes[i].minY);
        u.maxX = std::max(u.maxX, boxes[i].maxX);
        u.maxY = std::max(u.maxY, boxes[i].maxY);
    }
    return u;
}

double HalfPerimeter(const PlaneBox& box) { return (box.maxX - box.minX) + (box.maxY - box.minY); }

// Whether the boxes, taken in their own order, already group well: every
// run of a node's size forms a connected band, as the boxes of a chain's
// segments do. A union of boxes that overlap one after another is no wider
// or taller than they are together, so a run whose union is much larger
// jumps somewhere.
bool InGoodOrder(const std::vector<PlaneBox>& boxes, std::uint32_t nodeSize) {
    for (std::size_t begin = 0; begin < boxes.size(); begin += nodeSize) {
        const std::size_t count = std::min<std::size_t>(nodeSize, boxes.size() - begin);
        double together = 0.0;
        for (std::size_t i = begin; i < begin + count; ++i) together += HalfPerimeter(boxes[i]);
        if (HalfPerimeter(Union(boxes.data() + begin, count)) > 1.5 * together) return false;
    }
    return true;
}

}  // namespace

BoxIndex::BoxIndex(const std::vector<PlaneBox>& boxes) {
    const std::size_t n = boxes.size();
    if (n == 0 || n > kNodeMask) return;
    m_items.resize(n);
    if (InGoodOrder(boxes, kNodeSize)) {
        // A chain's own order is as good as a curve's and costs no sort.
        for (std::size_t i = 0; i < n; ++i) m_items[i] = static_cast<std::uint32_t>(i);
        m_boxes.reserve(n + n / (kNodeSize - 1) + 2);
        m_boxes = boxes;
    } else {
        SortAlongCurve(boxes);
    }
    BuildLevels();
}

void BoxIndex::SortAlongCurve(const std::vector<PlaneBox>& boxes) {
    const std::size_t n = boxes.size();
    const PlaneBox all = Union(boxes.data(), n);
    const double width = all.maxX - all.minX;
    const double height = all.maxY - all.minY;
    const double scaleX = width > 0.0 ? 65535.0 / width : 0.0;
    const double scaleY = height > 0.0 ? 65535.0 / height : 0.0;
    // (curve position, item) pairs sort faster than items compared by a
    // looked-up key.
    std::vector<std::uint64_t> order(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double cx = 0.5 * (boxes[i].minX + boxes[i].maxX) - all.minX;
        const double cy = 0.5 * (boxes[i].minY + boxes[i].maxY) - all.minY;
        const std::uint64_t key = HilbertIndex(static_cast<std::uint32_t>(std::clamp(cx * scaleX, 0.0, 65535.0)),
                                               static_cast<std::uint32_t>(std::clamp(cy * scaleY, 0.0, 65535.0)));
        order[i] = (key << 32) | i;
    }
    std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i < n; ++i) m_items[i] = static_cast<std::uint32_t>(order[i] & 0xffffffffu);
    m_boxes.reserve(n + n / (kNodeSize - 1) + 2);
    for (std::uint32_t item : m_items) m_boxes.push_back(boxes[item]);
}

void BoxIndex::BuildLevels() {
    const std::size_t n = m_items.size();
    m_levels.push_back({0, static_cast<std::uint32_t>(n)});
    while (m_levels.back().count > kNodeSize) {
        const Level below = m_levels.back();
        Level up{static_cast<std::uint32_t>(m_boxes.size()), (below.count + kNodeSize - 1) / kNodeSize};
        for (std::uint32_t node = 0; node < up.count; ++node) {
            const std::uint32_t begin = node * kNodeSize;
            const std::uint32_t count = std::min(kNodeSize, below.count - begin);
            m_boxes.push_back(Union(m_boxes.data() + below.first + begin, count));
        }
        m_levels.push_back(up);
    }
}

}  // namespace drovik
