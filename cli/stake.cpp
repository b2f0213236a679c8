// Stake marks along the polylines of a drawing.
#include "stake.h"

#include <cmath>
#include <cstdio>

#include <drovik/drovik.h>

#include "drawing_query.h"

namespace drovik::cli {
namespace {

constexpr double kPi = 3.141592653589793;

bool IsPolyline(AcDbObjectId id, const std::wstring& layer) {
    std::wstring className, entityLayer;
    if (!DescribeEntity(id, className, entityLayer)) return false;
    if (className != L"AcDbPolyline" && className != L"AcDb2dPolyline") return false;
    return layer.empty() || SameLayer(layer, entityLayer);
}

// Direction of travel at the first vertex: the chord turned back by half the
// arc's sweep (2 * atan(bulge)), which is the chord itself for a straight.
double StartDirection(const CPolyLineVertexArray& chain) {
    const AcGePoint3d& a = chain[0].pt;
    const AcGePoint3d& b = chain[1].pt;
    double direction = std::atan2(b.y - a.y, b.x - a.x) - 2.0 * std::atan(chain[0].bulge);
    while (direction < 0) direction += 2 * kPi;
    while (direction >= 2 * kPi) direction -= 2 * kPi;
    return direction;
}

// Text rotation that keeps a label readable (never upside down).
double ReadableRotation(double direction) {
    double rotation = direction;
    if (rotation > kPi / 2 && rotation <= 1.5 * kPi) rotation -= kPi;
    return rotation < 0 ? rotation + 2 * kPi : rotation;
}

void Mark(const CPolyLineVertex& at, double metres, const StakeOptions& options, StakeResult& result) {
    const double tick = options.interval * 0.15;
    const double across = at.bulge + kPi / 2;  // the located point's bulge is its direction
    AcDbObjectId id;
    if (!MakeLine(GetPolarPoint(at.pt, across, tick), GetPolarPoint(at.pt, across, -tick), id,
                  options.markLayer.c_str(), true))
        return;
    const AcGePoint3d labelAt = GetPolarPoint(at.pt, across, tick * 1.4);
    // Left of the line, reading along it: bottom-left alignment keeps it clear of the tick.
    MakeText(labelAt, FormatStake(metres).c_str(), id, 7, options.interval * 0.12, ReadableRotation(at.bulge),
             options.markLayer.c_str(), true, AcDbObjectId::kNull);
    ++result.marks;
}

}  // namespace

std::wstring FormatStake(double metres) {
    const long long millimetres = std::llround(std::max(metres, 0.0) * 1000.0);
    const long long km = millimetres / 1000000;
    const long long rest = millimetres % 1000000;
    wchar_t buf[64];
    std::swprintf(buf, 64, L"K%lld+%03lld", km, rest / 1000);
    std::wstring text(buf);
    if (rest % 1000 != 0) {
        std::swprintf(buf, 64, L".%03lld", rest % 1000);
        std::wstring fraction(buf);
        while (fraction.back() == L'0') fraction.pop_back();
        text += fraction;
    }
    return text;
}

bool ParseStake(const std::wstring& text, double& metres) {
    CString trimmed(text);
    trimmed.Trim();
    if (trimmed.Find(L'+') < 0) {
        if (!StrIsNum(trimmed)) return false;
    } else {
        // Both parts must be what the stake reader takes as numbers.
        CString km, m;
        GetSpeiString(trimmed, L'+', km, m);
        km.TrimLeft(L'K');
        km.TrimLeft(L'k');
        if (!StrIsNum(km) || !StrIsNum(m)) return false;
    }
    metres = GetRoadStakeValue(trimmed);
    return metres >= 0.0;
}

StakeResult AddStakeMarks(AcDbDatabase* pDb, const StakeOptions& options) {
    StakeResult result;
    if (!EnsureLayer(pDb, options.markLayer, 1)) return result;
    for (const AcDbObjectId& id : ModelSpaceEntities(pDb)) {
        if (!IsPolyline(id, options.layer)) continue;
        CPolyLineVertexArray chain;
        if (!ReadPolylineChain(id, chain)) continue;
        CPolyLineVertex start(chain[0].pt, StartDirection(chain));
        CPolyLineVertexArray marks;
        const int count = options.chord ? GetLocatedPoint(start, options.interval, chain, marks)
                                        : GetEvenPoint(start, options.interval, chain, marks);
        if (count <= 0) continue;
        ++result.polylines;
        for (int k = 0; k < count; ++k) Mark(marks[k], options.startMetres + k * options.interval, options, result);
    }
    return result;
}

}  // namespace drovik::cli
