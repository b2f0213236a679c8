// Scale factors of the geometry library.
#include <cmath>

#include "gemat3d.h"
#include "gescl3d.h"

const AcGeScale3d AcGeScale3d::kIdentity;

bool AcGeScale3d::isEqualTo(const AcGeScale3d& s, const AcGeTol& tol) const {
    const double e = tol.equalPoint();
    return std::fabs(sx - s.sx) <= e && std::fabs(sy - s.sy) <= e && std::fabs(sz - s.sz) <= e;
}

void AcGeScale3d::getMatrix(AcGeMatrix3d& m) const {
    m.setToIdentity();
    m.entry[0][0] = sx;
    m.entry[1][1] = sy;
    m.entry[2][2] = sz;
}

bool AcGeScale3d::isProportional(const AcGeTol& tol) const {
    const double e = tol.equalPoint();
    return std::fabs(sx - sy) <= e && std::fabs(sy - sz) <= e;
}
