#pragma once
// Clipping raw offsets (internal): split them where they cross themselves,
// each other or a guard curve, keep the slices that stay at the offset
// distance from the input, and join what is kept end to end.
#include <vector>

#include "chains/raw_offset.h"
#include "geometry/box_index.h"

namespace drovik::offset {

// One raw offset path: the pieces of RawOffset, open or closed.
struct RawPath {
    std::vector<PlaneSegment> pieces;
    bool closed = false;
    // For each piece, the input segment it comes from, numbered across all
    // input chains (a hint for distance checks); may be left empty.
    std::vector<int> sources;
};

// A result chain: its segments in order of travel.
struct ClippedChain {
    std::vector<PlaneSegment> segments;
    bool closed = false;
};

// Segments held elsewhere (the input chains), one after another.
using SegmentRefs = std::vector<const PlaneSegment*>;

// Boxes of segments, in order: what a BoxIndex over them is built from.
std::vector<PlaneBox> BoxesOf(const std::vector<PlaneSegment>& segs);
std::vector<PlaneBox> BoxesOf(const SegmentRefs& segs);

// How the input segments form chains, and which side the offset takes.
struct InputLayout {
    std::vector<int> chainFirst;    // where each chain's segments begin in the input, and then the end
    std::vector<char> chainClosed;  // for each chain
    int side = 0;                   // +1 left of travel, -1 right, 0 no side test
    bool closedChainsCross = false; // some closed chains cross themselves or each other
};

// Clips the raw paths of one offset by the signed distance dist.
// - input: every segment of every input chain (the distance is measured to
//   these), and inputIndex, an index over BoxesOf(input);
// - guards: further curves where the distance to the input may pass |dist|
//   without a raw path crossing itself there (the opposite offset and the
//   end circles of open chains); raw paths are split where they cross them;
// - distance: |dist|; a slice with a point checked closer than that to the
//   input, by more than rounding, is dropped;
// - patches: the areas mitres and bevels add; a slice inside one is dropped;
// - tolerance: the tolerance the result keeps; open result chains no longer
//   than it (ten times it when all of closed paths) are dropped as slivers;
// - layout: the input's chains and the offset's side; a slice whose middle
//   lies farther from its own source than from another input segment, and
//   on the wrong side of that one, is dropped (a mitre reaching round the
//   chain to its far side).
std::vector<ClippedChain> ClipRawOffsets(const std::vector<RawPath>& raws, const SegmentRefs& input,
                                         const BoxIndex& inputIndex, const std::vector<PlaneSegment>& guards,
                                         const std::vector<JoinPatch>& patches, double distance, double tolerance,
                                         const InputLayout& layout);

// Whether any two of the paths, or two parts of one, cross or touch anywhere
// but at the joints of neighbouring pieces. pieceIndex, when given, is an
// index over the boxes of all the paths' pieces, one path after another.
bool PathsCross(const std::vector<RawPath>& paths, const BoxIndex* pieceIndex = nullptr);

}  // namespace drovik::offset
