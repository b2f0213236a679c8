#pragma once
// Stake marks along the polylines of a drawing: a short tick across the line
// and a label such as "K0+020" at every interval.
#include <string>

class AcDbDatabase;

namespace drovik::cli {

struct StakeOptions {
    double interval = 20.0;     // drawing units (metres) between marks
    bool chord = false;         // chord (divider) spacing instead of arc length
    std::wstring layer;         // only polylines on this layer; empty: every polyline
    double startMetres = 0.0;   // stake value of each polyline's first vertex
    std::wstring markLayer = L"STAKE";  // layer of the ticks and labels (made when missing)
};

struct StakeResult {
    int polylines = 0;  // polylines marked
    int marks = 0;      // ticks (each with its label)
};

// Marks every polyline (lightweight or 2D) in model space. Labels count the
// spacing from startMetres: the k-th mark of a polyline reads
// startMetres + k * interval (along the line for arc-length spacing; for
// chord spacing, k dividers of the interval).
StakeResult AddStakeMarks(AcDbDatabase* pDb, const StakeOptions& options);

// "K<km>+<mmm>[.ddd]" for a distance in metres (0 or more), rounded to the
// millimetre: 20 gives "K0+020", 12345.6 gives "K12+345.6".
std::wstring FormatStake(double metres);

// The metres of a stake text such as "K12+345.6" or a bare number "345.6";
// false when the text is neither (or is negative).
bool ParseStake(const std::wstring& text, double& metres);

}  // namespace drovik::cli
