#pragma once
// Offsets of the polylines and line-and-arc chains of a drawing.
#include <optional>
#include <string>
#include <vector>

class AcDbDatabase;

namespace drovik::cli {

enum class Side { kLeft, kRight, kBoth };
enum class Join { kRound, kMiter, kBevel };

struct OffsetOptions {
    double distance = 5.0;
    Side side = Side::kBoth;
    std::wstring layer;                   // only entities on this layer; empty: all
    std::wstring offsetLayer = L"OFFSET"; // layer of the new entities (made when missing)
    Join join = Join::kRound;             // corners of the cleaned-up offsets
    double miterLimit = 2.0;              // mitre reach limit, in offset distances
    bool vertexwise = false;              // one vertex per segment (OffsetVertexs, OffsetEnts) instead
};

// One new offset: its side and shape (vertexwise offsets of lines and arcs
// are several entities: vertices 0 and length -1, not measured).
struct OffsetPiece {
    bool left = true;
    bool closed = false;
    int vertices = 0;
    double length = -1;
};

// One source offset: a polyline or a chain of lines and arcs.
struct OffsetSource {
    bool polyline = true;
    unsigned long long handle = 0;  // the polyline, or the chain's first entity
    int entities = 1;               // entities in the chain
    bool closed = false;
    double length = 0;              // along the source
    int failed = 0;                 // its sides that could not be made
    std::vector<OffsetPiece> pieces;
};

struct OffsetResult {
    int polylines = 0;   // source polylines offset
    int chains = 0;      // source chains of lines and arcs offset
    int created = 0;     // new entities
    int failed = 0;      // sides whose offset could not be made (too tight an arc, nothing left, ...)
    std::vector<OffsetSource> sources;  // in the order they were offset
};

// Offsets every polyline and every chain of touching lines and arcs (grown
// from each unused line or arc, in drawing order) by the distance, to the
// left and/or right of its direction. By default with ParallelOffset: the
// offset is cleaned of the parts that come too near the source, closed
// polylines (and chains whose ends meet) give closed outlines, and each
// resulting piece becomes a polyline. With vertexwise, polylines go through
// OffsetVertexs and chains of lines and arcs through OffsetEnts, as before.
OffsetResult AddOffsets(AcDbDatabase* pDb, const OffsetOptions& options);

// The result as a JSON object (see README.md, "drovik offset --json").
std::string OffsetSummaryJson(const OffsetResult& result, const OffsetOptions& options, const std::string& input,
                              const std::string& output);

}  // namespace drovik::cli
