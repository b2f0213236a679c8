#pragma once
// Stake marks along the polylines of a drawing: a short tick across the line
// and a label such as "K0+020" at every interval (and, when asked, at every
// vertex), with the table of the marks' positions.
#include <string>
#include <vector>

#include <gepnt3d.h>

class AcDbDatabase;

namespace drovik::cli {

struct StakeOptions {
    double interval = 20.0;     // drawing units (metres) between marks
    bool chord = false;         // chord (divider) spacing instead of arc length
    std::wstring layer;         // only polylines on this layer; empty: every polyline
    std::vector<unsigned long long> handles;  // only these polylines; empty: by layer
    bool atVertices = false;    // also mark every vertex (arc-length spacing only)
    double startMetres = 0.0;   // stake value of each polyline's first vertex
    double textHeight = 0.0;    // label height; 0: 0.12 times the interval
    std::wstring markLayer = L"STAKE";  // layer of the ticks and labels (made when missing)
};

// One stake mark.
struct StakePoint {
    unsigned long long centreline = 0;  // handle of the polyline it marks
    double metres = 0.0;       // stake value, startMetres + distance along (chord: k intervals)
    AcGePoint3d pt;            // on the line
    double direction = 0.0;    // of travel, radians counter-clockwise from +X, [0, 2pi)
    bool atVertex = false;     // a vertex mark (not at an interval)
};

struct Centreline {
    unsigned long long handle = 0;
    std::wstring layer;
    double length = 0.0;  // along the line
    int marks = 0;
};

struct StakeResult {
    int polylines = 0;  // polylines marked
    int marks = 0;      // ticks (each with its label)
    std::vector<Centreline> centrelines;        // in drawing order
    std::vector<StakePoint> points;             // by centreline, then along it
    std::vector<unsigned long long> unmatched;  // asked-for handles that are no polyline
};

// Marks every polyline (lightweight or 2D) in model space that the options
// select. Labels count the spacing from startMetres: the k-th interval mark
// of a polyline reads startMetres + k * interval (along the line for
// arc-length spacing; for chord spacing, k dividers of the interval). Vertex
// marks read startMetres + their distance along the line; a vertex that
// falls on an interval mark (within 1e-6) is not marked twice. A vertex's
// direction is that of the segment leaving it (entering it, for the last).
// Labels lie left of the line in travel direction, never upside down.
StakeResult AddStakeMarks(AcDbDatabase* pDb, const StakeOptions& options);

// "K<km>+<mmm>[.ddd]" for a distance in metres (0 or more), rounded to the
// millimetre: 20 gives "K0+020", 12345.6 gives "K12+345.6".
std::wstring FormatStake(double metres);

// The metres of a stake text such as "K12+345.6" or a bare number "345.6";
// false when the text is neither (or is negative).
bool ParseStake(const std::wstring& text, double& metres);

}  // namespace drovik::cli
