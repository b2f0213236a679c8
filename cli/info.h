#pragma once
// A summary of a drawing: its version, entity counts by type, layer and
// block, extents, and what reading it kept without modelling, left out or
// mended.
#include <map>
#include <string>
#include <vector>

class AcDbDatabase;

namespace drovik::cli {

struct ReadNotes;

struct DrawingInfo {
    std::string version;  // as the file gave it ("AC1015")
    bool binary = false;
    int entities = 0;                     // model-space entities
    std::map<std::wstring, int> byType;   // "LINE", "ARC", ... (DXF names)
    std::map<std::wstring, int> byLayer;
    std::map<std::wstring, int> byBlock;  // entities of each block ("*Model_Space", ...)
    bool hasExtents = false;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    std::map<std::string, int> kept;      // kept though not modelled, by kind
    std::map<std::string, int> skipped;   // left out, by kind
    std::vector<std::string> mends;       // what reading mended
    int mendCount = 0;
};

// The drawing's summary with what reading it reported.
DrawingInfo Summarize(AcDbDatabase* pDb, const ReadNotes& notes);

// The summary as readable text, one fact a line (UTF-8; names and mends
// quoted from the file are escaped to stay on their line).
std::string FormatInfo(const DrawingInfo& info);

// The summary as a JSON object (see README.md, "drovik info --json").
std::string FormatInfoJson(const DrawingInfo& info, const std::string& file);

}  // namespace drovik::cli
