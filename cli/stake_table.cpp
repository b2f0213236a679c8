// The table and JSON summary of a stake run.
#include "stake_table.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include <widetext.h>

#include "drawing_query.h"
#include "json_writer.h"

namespace drovik::cli {
namespace {

constexpr double kPi = 3.141592653589793;

// Degrees in [0, 360) as they print: a value that rounds to 360 prints 0.
std::string Degrees(double degrees, int decimals) {
    degrees = std::fmod(degrees, 360.0);
    if (degrees < 0) degrees += 360.0;
    std::string text = FixedNumber(degrees, decimals);
    if (std::strtod(text.c_str(), nullptr) >= 360.0) text = FixedNumber(0.0, decimals);
    return text;
}

}  // namespace

std::string FixedNumber(double value, int decimals) {
    char buf[400];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string text(buf, result.ptr);
    if (!text.empty() && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

bool ParseOffsets(const std::string& text, std::vector<double>& offsets) {
    offsets.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        double value = 0;
        const char* first = part.c_str();
        const char* last = first + part.size();
        if (!part.empty() && *first == '+') ++first;
        const auto result = std::from_chars(first, last, value);
        if (part.empty() || result.ec != std::errc() || result.ptr != last || !std::isfinite(value)) return false;
        offsets.push_back(value);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

std::string FormatStakeTable(const std::vector<StakePoint>& points, const StakeTableOptions& options) {
    const int n = options.decimals;
    std::string out = "centreline,stake,chainage,x,y,z,direction,bearing";
    for (double d : options.offsets) {
        const std::string name = ShortestNumber(d);
        out += ",x_" + name + ",y_" + name;
    }
    out += "\n";
    for (const StakePoint& p : points) {
        const double degrees = p.direction * 180.0 / kPi;
        out += HandleText(p.centreline) + "," + host::WideToUtf8(FormatStake(p.metres)) + "," + FixedNumber(p.metres, n) +
               "," + FixedNumber(p.pt.x, n) + "," + FixedNumber(p.pt.y, n) + "," + FixedNumber(p.pt.z, n) + "," +
               Degrees(degrees, n) + "," + Degrees(90.0 - degrees, n);
        // Left of travel is the direction turned a quarter counter-clockwise.
        const double leftX = -std::sin(p.direction);
        const double leftY = std::cos(p.direction);
        for (double d : options.offsets)
            out += "," + FixedNumber(p.pt.x + d * leftX, n) + "," + FixedNumber(p.pt.y + d * leftY, n);
        out += "\n";
    }
    return out;
}

std::string StakeSummaryJson(const StakeResult& result, const std::string& input,
                             const std::optional<std::string>& output, const std::optional<std::string>& table,
                             double interval, bool chord) {
    std::string out;
    JsonWriter json(out);
    json.BeginObject();
    json.Key("input").String(input);
    json.Key("output");
    if (output) json.String(*output); else json.Null();
    json.Key("table");
    if (table) json.String(*table); else json.Null();
    json.Key("interval").Number(interval);
    json.Key("spacing").String(chord ? "chord" : "arc");
    json.Key("polylines").Integer(result.polylines);
    json.Key("marks").Integer(result.marks);
    json.Key("centrelines").BeginArray();
    for (const Centreline& line : result.centrelines) {
        json.BeginObject();
        json.Key("handle").String(HandleText(line.handle));
        json.Key("layer").String(host::WideToUtf8(line.layer));
        json.Key("length").Number(line.length);
        json.Key("marks").Integer(line.marks);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return out + "\n";
}

}  // namespace drovik::cli
