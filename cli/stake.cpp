// Stake marks along the polylines of a drawing.
#include "stake.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <drovik/drovik.h>

#include "drawing_query.h"

namespace drovik::cli {
namespace {

constexpr double kPi = 3.141592653589793;
// Vertex and interval marks closer than this along the line are one mark.
constexpr double kSameMark = 1e-6;

double WrapAngle(double angle) {
    angle = std::fmod(angle, 2 * kPi);
    if (angle < 0) angle += 2 * kPi;
    return angle >= 2 * kPi ? 0.0 : angle;
}

// Direction of travel at either end of a segment: the chord turned by half
// the arc's sweep (2 * atan(bulge)), back at the start and on at the end,
// which is the chord itself for a straight.
double SegmentDirection(const CPolyLineVertex& a, const CPolyLineVertex& b, bool atEnd) {
    const double chord = std::atan2(b.pt.y - a.pt.y, b.pt.x - a.pt.x);
    const double turn = 2.0 * std::atan(a.bulge);
    return WrapAngle(atEnd ? chord + turn : chord - turn);
}

// Vertex marks: each vertex with its distance along the chain.
std::vector<StakePoint> VertexPoints(const CPolyLineVertexArray& chain, double& total) {
    const INT_PTR n = chain.GetSize();
    std::vector<double> lengths;
    for (INT_PTR i = 0; i + 1 < n; ++i) lengths.push_back(SegmentLength(chain[i], chain[i + 1]));
    std::vector<StakePoint> points;
    total = 0.0;
    for (INT_PTR i = 0; i < n; ++i) {
        StakePoint p;
        p.pt = chain[i].pt;
        p.metres = total;
        p.atVertex = true;
        // Leaving the vertex along the next segment of some length, else
        // entering it along the last one.
        INT_PTR j = i;
        while (j + 1 < n && lengths[static_cast<size_t>(j)] <= 0.0) ++j;
        if (j + 1 < n) {
            p.direction = SegmentDirection(chain[j], chain[j + 1], false);
        } else {
            j = std::min<INT_PTR>(i, n - 1) - 1;
            while (j > 0 && lengths[static_cast<size_t>(j)] <= 0.0) --j;
            p.direction = j >= 0 ? SegmentDirection(chain[j], chain[j + 1], true) : 0.0;
        }
        points.push_back(p);
        if (i + 1 < n) total += lengths[static_cast<size_t>(i)];
    }
    return points;
}

bool Selected(AcDbObjectId id, const StakeOptions& options, std::wstring& layer) {
    std::wstring className;
    if (!DescribeEntity(id, className, layer)) return false;
    if (className != L"AcDbPolyline" && className != L"AcDb2dPolyline") return false;
    if (!options.handles.empty() &&
        std::find(options.handles.begin(), options.handles.end(), id.handle()) == options.handles.end())
        return false;
    return options.layer.empty() || SameLayer(options.layer, layer);
}

// Text rotation that keeps a label readable (never upside down).
double ReadableRotation(double direction) {
    double rotation = direction;
    if (rotation > kPi / 2 && rotation <= 1.5 * kPi) rotation -= kPi;
    return rotation < 0 ? rotation + 2 * kPi : rotation;
}

bool Mark(const StakePoint& at, const StakeOptions& options) {
    const double tick = options.interval * 0.15;
    const double height = options.textHeight > 0.0 ? options.textHeight : options.interval * 0.12;
    const double across = at.direction + kPi / 2;
    AcDbObjectId id;
    if (!MakeLine(GetPolarPoint(at.pt, across, tick), GetPolarPoint(at.pt, across, -tick), id,
                  options.markLayer.c_str(), true))
        return false;
    // Left of the line, reading along it, clear of the tick: the text's foot
    // (bottom-left alignment) is near the line, or, when the text is turned
    // to stay readable and so grows towards the line, a height further out.
    const double rotation = ReadableRotation(at.direction);
    const bool turned = std::fabs(WrapAngle(rotation - at.direction) - kPi) < 1e-9;
    const double gap = tick * 1.4 + (turned ? height : 0.0);
    MakeText(GetPolarPoint(at.pt, across, gap), FormatStake(at.metres).c_str(), id, 7, height, rotation,
             options.markLayer.c_str(), true, AcDbObjectId::kNull);
    return true;
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
    std::vector<unsigned long long> found;
    if (!std::isfinite(options.interval) || options.interval <= 0.0 || !EnsureLayer(pDb, options.markLayer, 1))
        return result;
    for (const AcDbObjectId& id : ModelSpaceEntities(pDb)) {
        Centreline line;
        if (!Selected(id, options, line.layer)) continue;
        found.push_back(id.handle());
        CPolyLineVertexArray chain;
        if (!ReadPolylineChain(id, chain)) continue;
        // The chain is read in plan; its points lie at the polyline's elevation.
        const double elevation = PolylineElevation(id);
        for (INT_PTR i = 0; i < chain.GetSize(); ++i) chain[i].pt.z = elevation;
        std::vector<StakePoint> vertices = VertexPoints(chain, line.length);
        CPolyLineVertex start(chain[0].pt, vertices.front().direction);
        CPolyLineVertexArray located;
        const int count = options.chord ? GetLocatedPoint(start, options.interval, chain, located)
                                        : GetEvenPoint(start, options.interval, chain, located);
        if (count <= 0) continue;
        std::vector<StakePoint> points;
        for (int k = 0; k < count; ++k) {
            StakePoint p;
            p.pt = located[k].pt;
            p.direction = located[k].bulge;  // a located point's bulge is its direction
            p.metres = k * options.interval;
            points.push_back(p);
        }
        if (options.atVertices && !options.chord) {
            for (const StakePoint& v : vertices) {
                const double k = std::round(v.metres / options.interval);
                if (k < count && std::fabs(v.metres - k * options.interval) <= kSameMark) continue;
                points.push_back(v);
            }
            std::stable_sort(points.begin(), points.end(),
                             [](const StakePoint& a, const StakePoint& b) { return a.metres < b.metres; });
        }
        line.handle = id.handle();
        ++result.polylines;
        for (StakePoint& p : points) {
            p.centreline = id.handle();
            p.metres += options.startMetres;
            if (!Mark(p, options)) continue;
            ++result.marks;
            ++line.marks;
            result.points.push_back(p);
        }
        result.centrelines.push_back(line);
    }
    for (unsigned long long handle : options.handles)
        if (std::find(found.begin(), found.end(), handle) == found.end()) result.unmatched.push_back(handle);
    return result;
}

}  // namespace drovik::cli
