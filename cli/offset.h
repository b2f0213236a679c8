#pragma once
// Offsets of the polylines and line-and-arc chains of a drawing.
#include <string>

class AcDbDatabase;

namespace drovik::cli {

enum class Side { kLeft, kRight, kBoth };

struct OffsetOptions {
    double distance = 5.0;
    Side side = Side::kBoth;
    std::wstring layer;                   // only entities on this layer; empty: all
    std::wstring offsetLayer = L"OFFSET"; // layer of the new entities (made when missing)
};

struct OffsetResult {
    int polylines = 0;   // source polylines offset
    int chains = 0;      // source chains of lines and arcs offset
    int created = 0;     // new entities
    int failed = 0;      // sources whose offset could not be made (too tight an arc, ...)
};

// Offsets every polyline (as a vertex chain, to the left and/or right of its
// direction) and every chain of touching lines and arcs (grown from each
// unused line or arc, in drawing order) by the distance.
OffsetResult AddOffsets(AcDbDatabase* pDb, const OffsetOptions& options);

}  // namespace drovik::cli
