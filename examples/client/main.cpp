// Example client: works through a small road chain of lines and arcs and
// prints what Drovik computes for it.
#include <cstdio>

#include <drovik/drovik.h>

namespace {
void add(CPolyLineVertexArray& chain, double x, double y, double bulge) {
    CPolyLineVertex vertex(AcGePoint3d(x, y, 0), bulge);
    chain.Add(vertex);
}
}  // namespace

int main() {
    // A centreline: a straight, a left-hand bend (bulge > 0), a right-hand
    // bend (bulge < 0) and a straight.
    CPolyLineVertexArray chain;
    add(chain, 0, 0, 0.0);
    add(chain, 100, 0, 0.25);
    add(chain, 160, 40, -0.3);
    add(chain, 220, 60, 0.0);
    add(chain, 300, 60, 0.0);

    std::printf("Drovik %s example: a road chain of %d vertices\n\n", DROVIK_VERSION_STRING,
                static_cast<int>(chain.GetSize()));
    std::printf("Bulge arcs (always counter-clockwise from start to end):\n");
    for (INT_PTR i = 0; i + 1 < chain.GetSize(); ++i) {
        stArcPara arc;
        if (!CPolyLine::GetArcPara(chain[i], chain[i + 1], arc)) {
            std::printf("  segment %d: straight, (%.3f, %.3f) -> (%.3f, %.3f)\n", static_cast<int>(i),
                        chain[i].pt.x, chain[i].pt.y, chain[i + 1].pt.x, chain[i + 1].pt.y);
            continue;
        }
        std::printf("  segment %d: arc, centre (%.3f, %.3f), radius %.3f, %.4f rad, length %.3f\n",
                    static_cast<int>(i), arc.ptCenter.x, arc.ptCenter.y, arc.radius, arc.angle, arc.length);
    }
    return 0;
}
