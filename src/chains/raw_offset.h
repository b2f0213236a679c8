#pragma once
// The raw parallel offset of one chain (internal): every segment moved
// sideways, consecutive pieces joined, nothing yet clipped. What the final
// offset keeps is a part of it.
#include <vector>

#include "geometry/plane_segment.h"

namespace drovik::offset {

enum class Join { kRound, kMiter, kBevel };

struct JoinStyle {
    Join join = Join::kRound;
    double miterLimit = 2.0;  // largest corner-to-mitre distance, in offset distances
    bool trimConcave = true;  // false: concave corners are only bridged
};

// The area a mitre or bevel adds beyond the round join at a convex corner:
// the convex polygon of the corner's vertex, the two offset ends and the
// join's own points. Offset pieces passing inside it lie within the joined
// outline even though they keep the distance from the chain.
struct JoinPatch {
    Vec2 points[5];
    int count = 0;

    // pt lies inside by more than margin.
    bool Contains(Vec2 pt, double margin) const;
    PlaneBox Box() const;
};

// What a mitre or bevel stands in for: the round join's arc (where the
// distance to the chain passes the offset distance, yet no raw piece need
// cross) and the patch it adds.
struct ReplacedJoins {
    std::vector<PlaneSegment> arcs;
    std::vector<JoinPatch> patches;
};

// A chain in local plane coordinates: its segments in order of travel,
// none shorter than the common tolerance; a closed chain's last segment ends
// where the first begins.
struct PlaneChain {
    std::vector<PlaneSegment> segments;
    bool closed = false;
};

// The pieces of the raw offset of `chain` by dist (positive: left of
// travel), in order, each starting where the one before ends (to within
// kOffsetJoinTol), the last one ending at the first one's start when the
// chain is closed.
// - Lines move along their normal; arcs keep their centre and sweep; an arc
//   whose radius would fall to 0 or below becomes the line between the
//   offsets of its ends (on the far side of the centre), for the clipping to
//   remove.
// - Convex corners get the style's join; concave corners are trimmed where
//   the two pieces cross, or bridged by a straight piece when they do not.
// - Where a mitre or bevel stands in for a round join, *replaced (when
//   given) receives the round arc and the patch.
// - *sources (when given) receives, for each piece, the index of the
//   chain segment it comes from (for a join, the segment after the corner).
std::vector<PlaneSegment> RawOffset(const PlaneChain& chain, double dist, const JoinStyle& style,
                                    ReplacedJoins* replaced = nullptr, std::vector<int>* sources = nullptr);

}  // namespace drovik::offset
