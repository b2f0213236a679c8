#pragma once
// Ruling out most of a raw offset before its crossings are searched
// (internal). Where the offset distance is many times the segments' length,
// each raw piece reaches across dozens of its neighbours and crosses them
// all, yet only a sliver of it stays. The vertices next to a piece's source
// show most of that at once: every point of a piece closer than the distance
// to one of them is nearer the input than the offset, so it cannot stay.
#include <vector>

#include "chains/offset_clip.h"

namespace drovik::offset {

// Splits each piece of raw where it enters or leaves the discs of radius
// reach about the input vertices near its source (raw.sources), marking the
// parts before its first point outside every disc and after its last one
// as inside (see PlaneSegment::inside); a piece with no point outside them
// is marked inside whole. The path keeps its shape and its joints: only
// pieces are split and marked, and raw.sources follows. reach is to be
// below the offset distance by more than rounding, so that no point marked
// could be kept. Does nothing when raw.sources does not match raw.pieces
// or reach is not positive.
void MarkPartsNearVertices(RawPath& raw, const SegmentRefs& input, double reach);

}  // namespace drovik::offset
