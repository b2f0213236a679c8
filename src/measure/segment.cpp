// The start shared by the spacing walks.
#include "measure/segment.h"

#include "drovik/measure/chain_position.h"

namespace drovik::measure {

int BeginWalk(CPolyLineVertex& curVertex, double dDist, const CPolyLineVertexArray& vertexArr,
              CPolyLineVertexArray& resultArr) {
    resultArr.RemoveAll();
    if (!IsValidSpacing(dDist)) return -1;
    int first = 0;
    int unused = 0;
    if (!GetPointIndex(curVertex, vertexArr, first, unused)) return -1;
    const INT_PTR n = vertexArr.GetSize();
    if (first == n - 1) return -1;
    resultArr.Reserve(ExpectedPoints(vertexArr.GetData(), first, n, dDist));
    resultArr.Add(curVertex);
    return first;
}

}  // namespace drovik::measure
