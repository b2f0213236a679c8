#pragma once
// The table and JSON summary of a stake run.
#include <optional>
#include <string>
#include <vector>

#include "stake.h"

namespace drovik::cli {

struct StakeTableOptions {
    std::vector<double> offsets;  // distances across the line, left positive
    int decimals = 3;             // digits after the decimal point
};

// CSV (RFC 4180, UTF-8, "\n" line ends) with a header row and one row per
// stake point: centreline (its handle), stake ("K0+020"), chainage (metres),
// x, y, z, direction (degrees counter-clockwise from +X, [0, 360)), bearing
// (degrees clockwise from north, [0, 360)), then for each offset d the
// columns "x_d" and "y_d" (d as written by ShortestNumber, "x_-7.5") of the point d across the line (left of the
// travel direction when d is positive). Numbers in fixed notation with a
// dot, whatever the locale.
std::string FormatStakeTable(const std::vector<StakePoint>& points, const StakeTableOptions& options);

// "7.5,-7.5" as offsets; false for anything but finite numbers separated by
// commas.
bool ParseOffsets(const std::string& text, std::vector<double>& offsets);

// A number in fixed notation with `decimals` digits, a dot, no "-0".
std::string FixedNumber(double value, int decimals);

// The summary of a stake run as a JSON object (see README.md); output and
// table are the paths written, when any.
std::string StakeSummaryJson(const StakeResult& result, const std::string& input,
                             const std::optional<std::string>& output, const std::optional<std::string>& table,
                             double interval, bool chord);

}  // namespace drovik::cli
