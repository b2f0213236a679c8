#pragma once
// Independent measures of chain sets for the parallel offset tests: points
// sampled along chains, plain distances, areas, lengths and crossings,
// worked out here from the vertices and bulges alone.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "chain_fixtures.h"
#include "drovik/drovik.h"

namespace offset_checks {

using chain_fixtures::Vtx;

// Several chains in one vertex array, as the offset takes and gives them.
struct ChainSet {
    CPolyLineVertexArray vertices;
    AcArray<int> counts;
    AcArray<int> closed;

    void Add(const std::vector<Vtx>& chain, bool isClosed) {
        for (const Vtx& v : chain) {
            CPolyLineVertex vertex(AcGePoint3d(v.x, v.y, 0.0), v.bulge);
            vertices.Add(vertex);
        }
        counts.append(static_cast<int>(chain.size()));
        closed.append(isClosed ? 1 : 0);
    }
    int Size() const { return counts.length(); }
    // First vertex of chain i within the array.
    int First(int i) const {
        int first = 0;
        for (int k = 0; k < i; ++k) first += counts[k];
        return first;
    }
};

inline bool Offset(const ChainSet& in, double dist, int join, double miterLimit, ChainSet& out) {
    return ParallelOffsetChains(in.vertices, in.counts, in.closed, dist, join, miterLimit, out.vertices, out.counts,
                                out.closed);
}

// One segment as centre, radius and angles, or as a straight line.
struct Piece {
    AcGePoint3d a, b;
    bool arc = false;
    AcGePoint3d c;
    double r = 0.0, a0 = 0.0, sweep = 0.0;  // signed sweep from a
};

inline Piece PieceOf(const CPolyLineVertex& from, const CPolyLineVertex& to) {
    Piece p;
    p.a = from.pt;
    p.b = to.pt;
    if (std::fabs(from.bulge) <= 0.0001) return p;
    stArcPara arc;
    CPolyLine::GetArcPara(from, to, arc);
    p.arc = true;
    p.c = arc.ptCenter;
    p.r = arc.radius;
    p.a0 = std::atan2(from.pt.y - p.c.y, from.pt.x - p.c.x);
    p.sweep = 4.0 * std::atan(from.bulge);
    return p;
}

inline std::vector<Piece> PiecesOf(const ChainSet& set) {
    std::vector<Piece> pieces;
    for (int i = 0; i < set.Size(); ++i) {
        const int first = set.First(i), n = set.counts[i];
        const int segs = set.closed[i] ? n : n - 1;
        for (int k = 0; k < segs; ++k)
            pieces.push_back(PieceOf(set.vertices[first + k], set.vertices[first + (k + 1) % n]));
    }
    return pieces;
}

inline AcGePoint3d PointOn(const Piece& p, double t) {
    if (!p.arc) return AcGePoint3d(p.a.x + (p.b.x - p.a.x) * t, p.a.y + (p.b.y - p.a.y) * t, 0.0);
    const double ang = p.a0 + p.sweep * t;
    return AcGePoint3d(p.c.x + p.r * std::cos(ang), p.c.y + p.r * std::sin(ang), 0.0);
}

inline double LengthOf(const Piece& p) {
    return p.arc ? p.r * std::fabs(p.sweep) : std::hypot(p.b.x - p.a.x, p.b.y - p.a.y);
}

// Brute-force plan distance from pt to the piece.
inline double DistanceTo(const Piece& p, const AcGePoint3d& pt) {
    if (!p.arc) {
        const double dx = p.b.x - p.a.x, dy = p.b.y - p.a.y;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((pt.x - p.a.x) * dx + (pt.y - p.a.y) * dy) / len2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        return std::hypot(pt.x - (p.a.x + t * dx), pt.y - (p.a.y + t * dy));
    }
    // On the arc's angular range: radial distance; else the nearer end.
    double along = std::atan2(pt.y - p.c.y, pt.x - p.c.x) - p.a0;
    if (p.sweep < 0) along = -along;
    along = std::fmod(along, 6.283185307179586);
    if (along < 0) along += 6.283185307179586;
    if (along <= std::fabs(p.sweep)) return std::fabs(std::hypot(pt.x - p.c.x, pt.y - p.c.y) - p.r);
    return std::min(std::hypot(pt.x - p.a.x, pt.y - p.a.y), std::hypot(pt.x - p.b.x, pt.y - p.b.y));
}

inline double DistanceTo(const std::vector<Piece>& pieces, const AcGePoint3d& pt) {
    double best = std::numeric_limits<double>::infinity();
    for (const Piece& p : pieces) best = std::min(best, DistanceTo(p, pt));
    return best;
}

// Points along every chain of the set, at most `step` apart, ends included.
inline std::vector<AcGePoint3d> Samples(const ChainSet& set, double step) {
    std::vector<AcGePoint3d> pts;
    for (const Piece& p : PiecesOf(set)) {
        const int n = std::max(1, static_cast<int>(std::ceil(LengthOf(p) / step)));
        for (int k = 0; k <= n; ++k) pts.push_back(PointOn(p, static_cast<double>(k) / n));
    }
    return pts;
}

// Signed area of closed chain i (positive counter-clockwise), arcs included.
inline double AreaOf(const ChainSet& set, int i) {
    const int first = set.First(i), n = set.counts[i];
    double area = 0.0;
    for (int k = 0; k < n; ++k) {
        const CPolyLineVertex& a = set.vertices[first + k];
        const CPolyLineVertex& b = set.vertices[first + (k + 1) % n];
        area += 0.5 * (a.pt.x * b.pt.y - b.pt.x * a.pt.y);
        const Piece p = PieceOf(a, b);
        if (p.arc) area += 0.5 * p.r * p.r * (p.sweep - std::sin(p.sweep));  // the circular segment, signed
    }
    return area;
}

inline double TotalArea(const ChainSet& set) {
    double area = 0.0;
    for (int i = 0; i < set.Size(); ++i)
        if (set.closed[i]) area += AreaOf(set, i);
    return area;
}

inline double TotalLength(const ChainSet& set) {
    double length = 0.0;
    for (const Piece& p : PiecesOf(set)) length += LengthOf(p);
    return length;
}

// Largest distance from a point of `from` to the nearest point of `to`.
inline double DirectedHausdorff(const std::vector<AcGePoint3d>& from, const std::vector<AcGePoint3d>& to) {
    double worst = 0.0;
    for (const AcGePoint3d& p : from) {
        double best = std::numeric_limits<double>::infinity();
        for (const AcGePoint3d& q : to) best = std::min(best, std::hypot(p.x - q.x, p.y - q.y));
        worst = std::max(worst, best);
    }
    return worst;
}

inline double Hausdorff(const ChainSet& a, const ChainSet& b, double step) {
    const std::vector<AcGePoint3d> pa = Samples(a, step), pb = Samples(b, step);
    return std::max(DirectedHausdorff(pa, pb), DirectedHausdorff(pb, pa));
}

// Whether two polyline edges p1-p2 and q1-q2 cross properly (not merely
// touching at an end).
inline bool EdgesCross(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& q1, const AcGePoint3d& q2) {
    auto orient = [](const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& c) {
        return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    };
    const double d1 = orient(q1, q2, p1), d2 = orient(q1, q2, p2);
    const double d3 = orient(p1, p2, q1), d4 = orient(p1, p2, q2);
    const double eps = 1e-9;
    return ((d1 > eps && d2 < -eps) || (d1 < -eps && d2 > eps)) && ((d3 > eps && d4 < -eps) || (d3 < -eps && d4 > eps));
}

// Number of proper crossings among the densified chains of the set (edges
// of one chain next to each other excluded).
inline int Crossings(const ChainSet& set, double step) {
    struct Edge {
        AcGePoint3d a, b;
        int chain, index;
    };
    std::vector<Edge> edges;
    for (int i = 0; i < set.Size(); ++i) {
        ChainSet one;
        const int first = set.First(i);
        for (int k = 0; k < set.counts[i]; ++k) {
            CPolyLineVertex v = set.vertices[first + k];
            one.vertices.Add(v);
        }
        one.counts.append(set.counts[i]);
        one.closed.append(set.closed[i]);
        int index = 0;
        for (const Piece& p : PiecesOf(one)) {
            const int n = std::max(1, static_cast<int>(std::ceil(LengthOf(p) / step)));
            for (int k = 0; k < n; ++k)
                edges.push_back({PointOn(p, static_cast<double>(k) / n), PointOn(p, static_cast<double>(k + 1) / n), i,
                                 index++});
        }
    }
    int crossings = 0;
    for (std::size_t a = 0; a < edges.size(); ++a)
        for (std::size_t b = a + 1; b < edges.size(); ++b) {
            if (edges[a].chain == edges[b].chain && std::abs(edges[a].index - edges[b].index) <= 1) continue;
            if (EdgesCross(edges[a].a, edges[a].b, edges[b].a, edges[b].b)) ++crossings;
        }
    return crossings;
}

inline ChainSet SetOf(const std::vector<Vtx>& chain, bool closed) {
    ChainSet set;
    set.Add(chain, closed);
    return set;
}

// A closed counter-clockwise chain around the origin: vertices at sorted
// angles and random radii, a third of the segments gently bulged either way.
// Closed chains must not cross themselves: a draw that does is drawn again
// (with a seed derived from the first). The convex kind keeps its vertices on
// one circle, at least 18 degrees apart for 12 vertices, and bulges outward
// little enough (each arc's ends turn by at most 7 degrees from the chord)
// that every corner still turns left.
inline std::vector<Vtx> DrawStar(std::uint64_t seed, int vertices, bool convex) {
    chain_fixtures::Uniform draw(seed);
    std::vector<double> angles;
    const double spacing = 6.283185307179586 / vertices;
    for (int i = 0; i < vertices; ++i)
        angles.push_back(convex ? spacing * (i + draw(-0.2, 0.2)) : draw(0.0, 6.283185307179586));
    std::sort(angles.begin(), angles.end());
    std::vector<Vtx> chain;
    for (double a : angles) {
        const double r = convex ? 10.0 : draw(5.0, 10.0);
        const double bulge = draw(0.0, 1.0) < 0.35 ? (convex ? draw(0.0, 0.06) : draw(-0.25, 0.25)) : 0.0;
        chain.push_back({r * std::cos(a), r * std::sin(a), bulge});
    }
    return chain;
}

inline std::vector<Vtx> StarChain(std::uint64_t seed, int vertices, bool convex = false) {
    for (;; seed = seed * 31 + 7) {
        std::vector<Vtx> chain = DrawStar(seed, vertices, convex);
        ChainSet set;
        set.Add(chain, true);
        if (Crossings(set, 0.05) == 0) return chain;
    }
}

inline std::vector<Vtx> OpenChain(std::uint64_t seed, int vertices) {
    CPolyLineVertexArray arr;
    chain_fixtures::ChainShape shape;
    shape.maxTurnRad = 2.0;
    shape.minLength = 1.0;
    shape.maxLength = 6.0;
    shape.maxBulge = 1.5;
    chain_fixtures::RandomChain(arr, vertices, seed, shape);
    std::vector<Vtx> chain;
    for (const CPolyLineVertex& v : arr) chain.push_back({v.pt.x, v.pt.y, v.bulge});
    return chain;
}

}  // namespace offset_checks
