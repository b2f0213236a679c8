#pragma once
// Random open chains of lines and bulge arcs, shared by the tests and the
// benchmarks (header only, no test framework). A fixed seed gives the same
// chain on every run and platform: the generator draws raw 64-bit numbers
// and maps them itself.
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "drovik/geometry/vertex.h"

namespace chain_fixtures {

struct ChainShape {
    double minLength = 1.0;  // chord length of a segment, drawing units
    double maxLength = 10.0;
    double maxTurnRad = 1.0;  // change of chord direction at a vertex, either way
    double arcShare = 0.5;    // share of segments that are arcs
    double minBulge = 0.1;    // |bulge| of an arc segment; its sign is random
    double maxBulge = 1.0;
};

// A vertex written out as x, y and the bulge of the segment it starts.
struct Vtx {
    double x, y, bulge;
};

inline void MakeChain(CPolyLineVertexArray& chain, const std::vector<Vtx>& vertices) {
    chain.RemoveAll();
    for (const Vtx& v : vertices) {
        CPolyLineVertex vertex(AcGePoint3d(v.x, v.y, 0.0), v.bulge);
        chain.Add(vertex);
    }
}

class Uniform {
public:
    explicit Uniform(std::uint64_t seed) : m_engine(seed) {}
    // Uniform in [lo, hi).
    double operator()(double lo, double hi) {
        const double unit = static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
        return lo + (hi - lo) * unit;
    }

private:
    std::mt19937_64 m_engine;
};

// A chain of `vertices` vertices starting at the origin in the plane z = 0.
inline void RandomChain(CPolyLineVertexArray& chain, long vertices, std::uint64_t seed, const ChainShape& shape = {}) {
    chain.RemoveAll();
    chain.Reserve(vertices);
    Uniform draw(seed);
    double heading = draw(0.0, 6.283185307179586);
    AcGePoint3d pt(0.0, 0.0, 0.0);
    for (long i = 0; i < vertices; ++i) {
        double bulge = 0.0;
        if (i + 1 < vertices && draw(0.0, 1.0) < shape.arcShare) {
            bulge = draw(shape.minBulge, shape.maxBulge);
            if (draw(0.0, 1.0) < 0.5) bulge = -bulge;
        }
        CPolyLineVertex vertex(pt, bulge);
        chain.Add(vertex);
        heading += draw(-shape.maxTurnRad, shape.maxTurnRad);
        const double length = draw(shape.minLength, shape.maxLength);
        pt = AcGePoint3d(pt.x + length * std::cos(heading), pt.y + length * std::sin(heading), 0.0);
    }
}

}  // namespace chain_fixtures
