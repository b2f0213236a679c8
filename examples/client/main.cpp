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

    // Where does a straight cross-road meet the chain?
    const AcGePoint3d crossA(130, -20, 0), crossB(150, 80, 0);
    std::printf("\nA cross-road from (%.1f, %.1f) to (%.1f, %.1f) meets the chain at:\n", crossA.x, crossA.y,
                crossB.x, crossB.y);
    for (INT_PTR i = 0; i + 1 < chain.GetSize(); ++i) {
        stArcPara arc;
        AcGePoint3d hit[2];
        int hits = 0;
        if (CPolyLine::GetArcPara(chain[i], chain[i + 1], arc)) {
            hits = GetLineArcIpt(crossA, crossB, arc, hit[0], hit[1], true);
        } else if (GetIntersPoint(crossA, crossB, chain[i].pt, chain[i + 1].pt, hit[0], true)) {
            hits = 1;
        }
        for (int k = 0; k < hits; ++k)
            std::printf("  (%.3f, %.3f) on segment %d\n", hit[k].x, hit[k].y, static_cast<int>(i));
    }

    // Stake texts typed by a surveyor, turned into distances along the road.
    std::printf("\nStake texts:\n");
    const wchar_t* stakes[] = {L"K0+000", L"K0+125.5", L"k1+050", L"K12+345.6", L"AK1+200", L"345.6"};
    for (const wchar_t* stake : stakes)
        std::printf("  %-10ls -> %10.3f m\n", stake, GetRoadStakeValue(stake));

    CString prefix;
    const int number = GetCodeFromStr(L"YS12A", prefix);
    std::printf("\nWell code YS12A: prefix %ls, number %d\n", prefix.GetString(), number);
    return 0;
}
