#pragma once
// A summary of a drawing: entity counts by type and by layer, and extents.
#include <map>
#include <string>

class AcDbDatabase;

namespace drovik::cli {

struct DrawingInfo {
    int entities = 0;
    std::map<std::wstring, int> byType;   // "LINE", "ARC", ... (DXF names)
    std::map<std::wstring, int> byLayer;
    bool hasExtents = false;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

DrawingInfo Summarize(AcDbDatabase* pDb);

// The summary as readable text, one fact a line (UTF-8).
std::string FormatInfo(const DrawingInfo& info);

}  // namespace drovik::cli
