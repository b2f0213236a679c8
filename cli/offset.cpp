// Offsets of the polylines and line-and-arc chains of a drawing.
#include "offset.h"

#include <cmath>
#include <vector>

#include <dbpl.h>

#include <drovik/drovik.h>

#include "drawing_query.h"
#include "json_writer.h"

namespace drovik::cli {
namespace {

bool Wants(Side side, bool left) { return side == Side::kBoth || (side == Side::kLeft) == left; }

bool OnLayer(AcDbObjectId id, const std::wstring& layer, std::wstring& className) {
    std::wstring entityLayer;
    if (!DescribeEntity(id, className, entityLayer)) return false;
    return layer.empty() || SameLayer(layer, entityLayer);
}

bool MakeBulgedPolyline(const CPolyLineVertex* vertices, INT_PTR count, bool closed, const std::wstring& layer) {
    auto* pline = new AcDbPolyline;
    for (INT_PTR i = 0; i < count; ++i)
        pline->addVertexAt(static_cast<unsigned>(i), AcGePoint2d(vertices[i].pt.x, vertices[i].pt.y),
                           vertices[i].bulge);
    pline->setClosed(closed);
    pline->setDatabaseDefaults();
    pline->setLayer(layer.c_str());
    AcDbObjectId id;
    if (!AddEntToDwg(pline, id)) {
        delete pline;
        return false;
    }
    pline->close();
    return true;
}

bool MakeBulgedPolyline(const CPolyLineVertexArray& chain, const std::wstring& layer) {
    return MakeBulgedPolyline(chain.GetData(), chain.GetSize(), false, layer);
}

int JoinKind(Join join) {
    switch (join) {
        case Join::kMiter:
            return joinMiter;
        case Join::kBevel:
            return joinBevel;
        case Join::kRound:
            break;
    }
    return joinRound;
}

// The cleaned-up offsets of one chain to the wanted sides, each piece a
// polyline of its own; a side with nothing left counts as failed.
void AddParallelOffsets(const CPolyLineVertexArray& chain, bool closed, const OffsetOptions& options,
                        OffsetResult& result, OffsetSource& source) {
    source.closed = closed;
    source.length = ChainLength(chain.GetData(), chain.GetSize(), closed);
    for (const bool left : {true, false}) {
        if (!Wants(options.side, left)) continue;
        CPolyLineVertexArray offset;
        AcArray<int> counts, flags;
        const double dist = left ? options.distance : -options.distance;
        if (!ParallelOffset(chain, closed, dist, JoinKind(options.join), options.miterLimit, offset, counts, flags) ||
            counts.length() == 0) {
            ++result.failed;
            ++source.failed;
            continue;
        }
        INT_PTR first = 0;
        for (int i = 0; i < counts.length(); ++i) {
            const bool pieceClosed = flags[i] != 0;
            if (MakeBulgedPolyline(offset.GetData() + first, counts[i], pieceClosed, options.offsetLayer)) {
                ++result.created;
                source.pieces.push_back(
                    {left, pieceClosed, counts[i], ChainLength(offset.GetData() + first, counts[i], pieceClosed)});
            } else {
                ++result.failed;
                ++source.failed;
            }
            first += counts[i];
        }
    }
}

// Ends closer than this meet (Drovik's common tolerance, see conventions.h).
constexpr double kEndsMeet = 0.001;

// A chain closes when it is flagged closed or its ends meet; a repeated
// closing vertex is dropped (the closing segment is implied).
bool ClosesOn(CPolyLineVertexArray& chain, bool flagged) {
    const INT_PTR n = chain.GetSize();
    if (n > 2 && chain[0].pt.distanceTo(chain[n - 1].pt) < kEndsMeet) {
        chain.RemoveAt(n - 1);
        return true;
    }
    return flagged;
}

void OffsetPolyline(AcDbObjectId id, const OffsetOptions& options, OffsetResult& result) {
    OffsetSource source;
    source.handle = id.handle();
    if (options.vertexwise) {
        CPolyLineVertexArray chain;
        if (!ReadPolylineChain(id, chain)) return;
        ++result.polylines;
        source.length = ChainLength(chain.GetData(), chain.GetSize(), false);
        for (const bool left : {true, false}) {
            if (!Wants(options.side, left)) continue;
            CPolyLineVertexArray offset;
            if (OffsetVertexs(chain, offset, options.distance, left) && MakeBulgedPolyline(offset, options.offsetLayer)) {
                ++result.created;
                source.pieces.push_back({left, false, static_cast<int>(offset.GetSize()),
                                         ChainLength(offset.GetData(), offset.GetSize(), false)});
            } else {
                ++result.failed;
                ++source.failed;
            }
        }
        result.sources.push_back(source);
        return;
    }
    CPolyLine polyline;
    if (!polyline.GetVertexInfo(id) || polyline.m_Vertexs.GetSize() < 2) return;
    ++result.polylines;
    const bool closed = ClosesOn(polyline.m_Vertexs, polyline.IsClosed());
    AddParallelOffsets(polyline.m_Vertexs, closed, options, result, source);
    result.sources.push_back(source);
}

bool IsLineOrArc(const std::wstring& className) { return className == L"AcDbLine" || className == L"AcDbArc"; }

// Grows a chain from the seed with every unused candidate that touches one of
// its free ends, sweeping the candidates until none attaches.
AcArray<AcDbObjectId> GrowChain(AcDbObjectId seed, std::vector<AcDbObjectId>& unused, AcGePoint3d& head) {
    AcArray<AcDbObjectId> chain;
    AcGePoint3d tail;
    stArcPara arc;
    GetLineArcEndpt(seed, head, tail, arc);
    chain.append(seed);
    for (bool grew = true; grew;) {
        grew = false;
        for (auto it = unused.begin(); it != unused.end();) {
            int code = 0;
            if (LinkEnt(*it, chain, head, tail, code, true) && code != 0) {
                it = unused.erase(it);
                grew = true;
            } else {
                ++it;
            }
        }
    }
    return chain;
}

// A point on the given side of the chain's first entity, travelled from head.
AcGePoint3d SidePoint(AcDbObjectId first, const AcGePoint3d& head, bool left) {
    AcGePoint3d ptS, ptE;
    stArcPara arc;
    if (GetLineArcEndpt(first, ptS, ptE, arc)) {
        const AcGePoint3d other = head.distanceTo(ptS) <= head.distanceTo(ptE) ? ptE : ptS;
        const double direction = std::atan2(other.y - head.y, other.x - head.x);
        const double across = direction + (left ? 1.0 : -1.0) * 1.5707963267948966;
        return GetPolarPoint(GetMidPt(head, other), across, 1.0);
    }
    // An arc record runs counter-clockwise from ptStart: travelled that way its
    // left is inward, the other way its left is outward.
    const bool counterClockwise = head.distanceTo(arc.ptStart) <= head.distanceTo(arc.ptEnd);
    const bool inward = left == counterClockwise;
    return inward ? arc.ptCenter : GetPolarPoint(arc.ptCenter, 0.0, arc.radius * 2.0);
}

// The chain of lines and arcs as a vertex chain travelled from head: each
// entity from its end nearer the running point, an arc's bulge signed by the
// way it is travelled (its record runs counter-clockwise from ptStart).
CPolyLineVertexArray VertexChain(const AcArray<AcDbObjectId>& chain, const AcGePoint3d& head) {
    CPolyLineVertexArray vertices;
    AcGePoint3d at = head;
    for (int i = 0; i < chain.length(); ++i) {
        AcGePoint3d ptS, ptE;
        stArcPara arc;
        const bool line = GetLineArcEndpt(chain[i], ptS, ptE, arc);
        const bool forward = at.distanceTo(ptS) <= at.distanceTo(ptE);
        double bulge = 0.0;
        if (!line) bulge = (forward ? 1.0 : -1.0) * std::tan(arc.angle / 4.0);
        CPolyLineVertex vertex(forward ? ptS : ptE, bulge);
        vertices.Add(vertex);
        at = forward ? ptE : ptS;
    }
    CPolyLineVertex last(at, 0.0);
    vertices.Add(last);
    return vertices;
}

void OffsetChain(const AcArray<AcDbObjectId>& chain, const AcGePoint3d& head, const OffsetOptions& options,
                 OffsetResult& result) {
    ++result.chains;
    OffsetSource source;
    source.polyline = false;
    source.handle = chain[0].handle();
    source.entities = chain.length();
    CPolyLineVertexArray vertices = VertexChain(chain, head);
    if (!options.vertexwise) {
        const bool closed = ClosesOn(vertices, false);
        AddParallelOffsets(vertices, closed, options, result, source);
        result.sources.push_back(source);
        return;
    }
    source.length = ChainLength(vertices.GetData(), vertices.GetSize(), false);
    for (const bool left : {true, false}) {
        if (!Wants(options.side, left)) continue;
        AcArray<AcDbObjectId> created;
        AcGePoint3d newStart, newEnd;
        OffsetEnts(chain, head, SidePoint(chain[0], head, left), options.distance, created, newStart, newEnd);
        for (AcDbObjectId id : created) {
            if (id.isNull()) {
                ++result.failed;
                ++source.failed;
                continue;
            }
            SetEntLayer(id, options.offsetLayer.c_str());
            ++result.created;
            source.pieces.push_back({left, false, 0, -1});
        }
    }
    result.sources.push_back(source);
}

}  // namespace

OffsetResult AddOffsets(AcDbDatabase* pDb, const OffsetOptions& options) {
    OffsetResult result;
    if (!EnsureLayer(pDb, options.offsetLayer, 3)) return result;
    std::vector<AcDbObjectId> linesAndArcs;
    for (const AcDbObjectId& id : ModelSpaceEntities(pDb)) {
        std::wstring className;
        if (!OnLayer(id, options.layer, className)) continue;
        if (className == L"AcDbPolyline" || className == L"AcDb2dPolyline") OffsetPolyline(id, options, result);
        if (IsLineOrArc(className)) linesAndArcs.push_back(id);
    }
    while (!linesAndArcs.empty()) {
        const AcDbObjectId seed = linesAndArcs.front();
        linesAndArcs.erase(linesAndArcs.begin());
        AcGePoint3d head;
        const AcArray<AcDbObjectId> chain = GrowChain(seed, linesAndArcs, head);
        OffsetChain(chain, head, options, result);
    }
    return result;
}

namespace {

const char* SideName(Side side) { return side == Side::kLeft ? "left" : side == Side::kRight ? "right" : "both"; }
const char* JoinName(Join join) { return join == Join::kMiter ? "miter" : join == Join::kBevel ? "bevel" : "round"; }

}  // namespace

std::string OffsetSummaryJson(const OffsetResult& result, const OffsetOptions& options, const std::string& input,
                              const std::string& output) {
    std::string out;
    JsonWriter json(out);
    json.BeginObject();
    json.Key("input").String(input);
    json.Key("output").String(output);
    json.Key("distance").Number(options.distance);
    json.Key("side").String(SideName(options.side));
    json.Key("method").String(options.vertexwise ? "vertexwise" : "parallel");
    json.Key("join");
    if (options.vertexwise) json.Null(); else json.String(JoinName(options.join));
    json.Key("miter_limit");
    if (options.vertexwise) json.Null(); else json.Number(options.miterLimit);
    json.Key("polylines").Integer(result.polylines);
    json.Key("chains").Integer(result.chains);
    json.Key("created").Integer(result.created);
    json.Key("failed").Integer(result.failed);
    json.Key("sources").BeginArray();
    for (const OffsetSource& source : result.sources) {
        json.BeginObject();
        json.Key("kind").String(source.polyline ? "polyline" : "chain");
        json.Key("handle").String(HandleText(source.handle));
        json.Key("entities").Integer(source.entities);
        json.Key("closed").Bool(source.closed);
        json.Key("length").Number(source.length);
        json.Key("failed").Integer(source.failed);
        json.Key("offsets").BeginArray();
        for (const OffsetPiece& piece : source.pieces) {
            json.BeginObject();
            json.Key("side").String(piece.left ? "left" : "right");
            json.Key("closed").Bool(piece.closed);
            json.Key("vertices");
            if (piece.vertices > 0) json.Integer(piece.vertices); else json.Null();
            json.Key("length");
            if (piece.length >= 0) json.Number(piece.length); else json.Null();
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return out + "\n";
}

}  // namespace drovik::cli
