// The packed box tree's pair search, against testing every two boxes.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "chain_fixtures.h"
#include "geometry/box_index.h"
#include "test_support.h"

namespace {
using drovik::BoxIndex;
using drovik::PlaneBox;
using Pair = std::pair<int, int>;

std::vector<Pair> BruteForcePairs(const std::vector<PlaneBox>& boxes, double margin) {
    std::vector<Pair> pairs;
    for (int i = 0; i < static_cast<int>(boxes.size()); ++i)
        for (int j = i + 1; j < static_cast<int>(boxes.size()); ++j)
            if (boxes[i].Grown(margin).Overlaps(boxes[j])) pairs.push_back({i, j});
    return pairs;
}

// The pairs the tree finds, sorted (it finds them in its own order).
std::vector<Pair> TreePairs(const std::vector<PlaneBox>& boxes, double margin) {
    const BoxIndex index(boxes);
    std::vector<Pair> pairs;
    EXPECT_TRUE(index.Pairs(margin, [&](int i, int j) {
        pairs.push_back({i, j});
        return true;
    }));
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

// Boxes of a few kinds: scattered small ones, points, long thin ones, and
// copies of one box (many items on one spot, as where a chain folds).
std::vector<PlaneBox> RandomBoxes(std::uint64_t seed, int count) {
    chain_fixtures::Uniform draw(seed);
    std::vector<PlaneBox> boxes;
    for (int i = 0; i < count; ++i) {
        const double x = draw(0.0, 100.0), y = draw(0.0, 100.0);
        switch (i % 5) {
            case 0: boxes.push_back({x, y, x, y}); break;
            case 1: boxes.push_back({x, y, x + draw(0.0, 3.0), y + draw(0.0, 3.0)}); break;
            case 2: boxes.push_back({x, y, x + draw(0.0, 60.0), y + 0.01}); break;
            case 3: boxes.push_back({50.0, 50.0, 51.0, 51.0}); break;
            default: boxes.push_back({x, y, x + 0.5, y + draw(0.0, 40.0)}); break;
        }
    }
    return boxes;
}

TEST(BoxIndexPairs, FindsEveryNearPairOnceWithTheLowerItemFirst) {
    // Counts on both sides of a full node (16) and of several tree levels.
    for (const int count : {0, 1, 2, 15, 16, 17, 255, 257, 1500}) {
        for (const double margin : {0.0, 0.25, 2.0}) {
            const std::vector<PlaneBox> boxes = RandomBoxes(static_cast<std::uint64_t>(count) * 7 + 1, count);
            const std::vector<Pair> found = TreePairs(boxes, margin);
            for (const Pair& p : found) EXPECT_LT(p.first, p.second) << count;
            EXPECT_TRUE(std::adjacent_find(found.begin(), found.end()) == found.end()) << "a pair twice, " << count;
            EXPECT_EQ(found, BruteForcePairs(boxes, margin)) << count << " boxes, margin " << margin;
        }
    }
}

// Boxes only touching, or a margin apart to the last bit, still pair up: a
// chain's neighbouring segments share an end point exactly.
TEST(BoxIndexPairs, TouchingBoxesAndBoxesJustWithinTheMarginPair) {
    std::vector<PlaneBox> boxes;
    for (int i = 0; i < 40; ++i) boxes.push_back({i * 1.0, 0.0, i + 1.0, 1.0});  // a row, each touching the next
    for (int i = 0; i < 40; ++i) boxes.push_back({i * 1.0, 1.001, i + 1.0, 2.0});  // 0.001 above the row
    EXPECT_EQ(TreePairs(boxes, 0.001), BruteForcePairs(boxes, 0.001));
    const std::vector<Pair> row = TreePairs(boxes, 0.0);
    EXPECT_EQ(row, BruteForcePairs(boxes, 0.0));
    EXPECT_EQ(row.size(), 2u * 39u);  // only each box with the next in its row
}

TEST(BoxIndexPairs, StopsWhenTheVisitAnswersFalse) {
    const std::vector<PlaneBox> boxes = RandomBoxes(99, 600);
    const std::size_t all = BruteForcePairs(boxes, 0.1).size();
    ASSERT_GT(all, 10u);
    const BoxIndex index(boxes);
    int visits = 0;
    EXPECT_FALSE(index.Pairs(0.1, [&](int, int) { return ++visits < 5; }));
    EXPECT_EQ(visits, 5);
}

// The boxes of a chain's segments: a random walk, which the tree keeps in
// its own order, and the same walk with jumps, which it sorts.
std::vector<PlaneBox> WalkBoxes(std::uint64_t seed, int count, bool jumps) {
    chain_fixtures::Uniform draw(seed);
    std::vector<PlaneBox> boxes;
    double x = 50.0, y = 50.0;
    for (int i = 0; i < count; ++i) {
        double nx = x + draw(-1.0, 1.0), ny = y + draw(-1.0, 1.0);
        if (jumps && i % 97 == 0) nx = draw(0.0, 100.0), ny = draw(0.0, 100.0);
        boxes.push_back({std::min(x, nx), std::min(y, ny), std::max(x, nx), std::max(y, ny)});
        x = nx;
        y = ny;
    }
    return boxes;
}

TEST(BoxIndexQueries, ChainsInTheirOwnOrderOrSortedAnswerAsTestingEveryBox) {
    for (const bool jumps : {false, true}) {
        for (const int count : {1, 16, 17, 300, 5000}) {
            const std::uint64_t seed = static_cast<std::uint64_t>(count) + (jumps ? 5 : 0);
            const std::vector<PlaneBox> boxes = WalkBoxes(seed, count, jumps);
            EXPECT_EQ(TreePairs(boxes, 0.1), BruteForcePairs(boxes, 0.1)) << count << (jumps ? " with jumps" : "");
            const BoxIndex index(boxes);
            chain_fixtures::Uniform draw(3);
            for (int q = 0; q < 20; ++q) {
                const double x = draw(20.0, 80.0), y = draw(20.0, 80.0), reach = draw(0.0, 8.0);
                const PlaneBox query{x - reach, y - reach, x + reach, y + reach};
                std::vector<int> inBox, near, wantBox, wantNear;
                index.Query(query, [&](int i) { return inBox.push_back(i), true; });
                index.QueryNear(x, y, reach, [&](int i) { return near.push_back(i), true; });
                for (int i = 0; i < count; ++i) {
                    if (boxes[i].Overlaps(query)) wantBox.push_back(i);
                    if (boxes[i].DistanceSquaredTo(x, y) <= reach * reach) wantNear.push_back(i);
                }
                std::sort(inBox.begin(), inBox.end());
                std::sort(near.begin(), near.end());
                EXPECT_EQ(inBox, wantBox) << count;
                EXPECT_EQ(near, wantNear) << count;
            }
        }
    }
}

}  // namespace
