// Headless host: geometry classes.
#include <algorithm>
#include <cmath>

#include "gegeometry.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

AcGeTol AcGeContext::gTol;

const AcGeVector3d AcGeVector3d::kIdentity(0.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kXAxis(1.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kYAxis(0.0, 1.0, 0.0);
const AcGeVector3d AcGeVector3d::kZAxis(0.0, 0.0, 1.0);
const AcGePoint3d AcGePoint3d::kOrigin(0.0, 0.0, 0.0);
const AcGePoint2d AcGePoint2d::kOrigin(0.0, 0.0);
const AcGeVector2d AcGeVector2d::kXAxis(1.0, 0.0);
const AcGeVector2d AcGeVector2d::kYAxis(0.0, 1.0);
const AcGeMatrix3d AcGeMatrix3d::kIdentity;

// ---- AcGeVector3d ----

AcGeVector3d AcGeVector3d::crossProduct(const AcGeVector3d& v) const {
    return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
}

double AcGeVector3d::length() const { return std::sqrt(lengthSqrd()); }

bool AcGeVector3d::isZeroLength(const AcGeTol& tol) const { return length() <= tol.equalVector(); }

bool AcGeVector3d::isUnitLength(const AcGeTol& tol) const {
    return std::fabs(length() - 1.0) <= tol.equalVector();
}

double AcGeVector3d::angleTo(const AcGeVector3d& v) const {
    // atan2 of |cross| and dot keeps full precision near 0 and pi, unlike acos.
    return std::atan2(crossProduct(v).length(), dotProduct(v));
}

double AcGeVector3d::angleTo(const AcGeVector3d& v, const AcGeVector3d& ref) const {
    const AcGeVector3d cross = crossProduct(v);
    const double unsignedAngle = std::atan2(cross.length(), dotProduct(v));
    if (ref.dotProduct(cross) >= 0.0) return unsignedAngle;
    const double angle = kTwoPi - unsignedAngle;
    return angle >= kTwoPi ? 0.0 : angle;
}

AcGeVector3d AcGeVector3d::normal(const AcGeTol& tol) const {
    AcGeVector3d copy(*this);
    return copy.normalize(tol);
}

AcGeVector3d& AcGeVector3d::normalize(const AcGeTol& tol) {
    const double len = length();
    (void)tol;  // any non-zero length can be scaled to 1
    if (len > 0.0) *this /= len;
    return *this;
}

AcGeVector3d& AcGeVector3d::rotateBy(double angle, const AcGeVector3d& axis) {
    if (axis.x == 0.0 && axis.y == 0.0 && axis.z != 0.0) {
        // Turning about +Z or -Z: a plain planar rotation.
        const double c = std::cos(angle);
        const double s = axis.z > 0.0 ? std::sin(angle) : -std::sin(angle);
        const double nx = x * c - y * s;
        y = x * s + y * c;
        x = nx;
        return *this;
    }
    const AcGeVector3d k = axis.normal();
    if (k.isZeroLength()) return *this;
    // Rodrigues' rotation formula.
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const AcGeVector3d v = *this;
    *this = v * c + k.crossProduct(v) * s + k * (k.dotProduct(v) * (1.0 - c));
    return *this;
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) {
    *this = m * *this;
    return *this;
}

bool AcGeVector3d::isEqualTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    return (*this - v).length() <= tol.equalVector();
}

bool AcGeVector3d::isParallelTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    const AcGeVector3d a = normal(tol);
    const AcGeVector3d b = v.normal(tol);
    if (a.isZeroLength(tol) || b.isZeroLength(tol)) return false;
    return a.crossProduct(b).length() <= tol.equalVector();
}

bool AcGeVector3d::isCodirectionalTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    return isParallelTo(v, tol) && dotProduct(v) > 0.0;
}

bool AcGeVector3d::isPerpendicularTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    const AcGeVector3d a = normal(tol);
    const AcGeVector3d b = v.normal(tol);
    if (a.isZeroLength(tol) || b.isZeroLength(tol)) return false;
    return std::fabs(a.dotProduct(b)) <= tol.equalVector();
}

// ---- AcGePoint3d / 2d ----

double AcGePoint3d::distanceTo(const AcGePoint3d& p) const { return (*this - p).length(); }

bool AcGePoint3d::isEqualTo(const AcGePoint3d& p, const AcGeTol& tol) const {
    return distanceTo(p) <= tol.equalPoint();
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) {
    *this = m * *this;
    return *this;
}

double AcGeVector2d::length() const { return std::hypot(x, y); }

double AcGeVector2d::angle() const {
    const double a = std::atan2(y, x);
    return a < 0.0 ? a + kTwoPi : a;
}

double AcGePoint2d::distanceTo(const AcGePoint2d& p) const { return (*this - p).length(); }

bool AcGePoint2d::isEqualTo(const AcGePoint2d& p, const AcGeTol& tol) const {
    return distanceTo(p) <= tol.equalPoint();
}

// ---- AcGeMatrix3d ----

AcGeMatrix3d::AcGeMatrix3d() : entry{} { setToIdentity(); }

AcGeMatrix3d& AcGeMatrix3d::setToIdentity() {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) entry[r][c] = r == c ? 1.0 : 0.0;
    return *this;
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(entry[r][c] - m.entry[r][c]) > tol.equalVector()) return false;
    return true;
}

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& m) const {
    AcGeMatrix3d out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += entry[r][k] * m.entry[k][c];
            out.entry[r][c] = sum;
        }
    return out;
}

AcGeMatrix3d& AcGeMatrix3d::preMultBy(const AcGeMatrix3d& m) { return *this = m * *this; }
AcGeMatrix3d& AcGeMatrix3d::postMultBy(const AcGeMatrix3d& m) { return *this = *this * m; }

namespace {
// Gauss-Jordan elimination with partial pivoting; false when singular.
bool invertInto(const AcGeMatrix3d& in, AcGeMatrix3d& out, double* determinant) {
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = in.entry[r][c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    double det = 1.0;
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (a[pivot][col] == 0.0) {
            if (determinant) *determinant = 0.0;
            return false;
        }
        if (pivot != col) {
            for (int c = 0; c < 8; ++c) std::swap(a[pivot][c], a[col][c]);
            det = -det;
        }
        const double p = a[col][col];
        det *= p;
        for (int c = 0; c < 8; ++c) a[col][c] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            const double f = a[r][col];
            if (f == 0.0) continue;
            for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.entry[r][c] = a[r][c + 4];
    if (determinant) *determinant = det;
    return true;
}
}  // namespace

double AcGeMatrix3d::det() const {
    AcGeMatrix3d scratch;
    double d = 0.0;
    invertInto(*this, scratch, &d);
    return d;
}

AcGeMatrix3d& AcGeMatrix3d::invert() {
    AcGeMatrix3d out;
    if (invertInto(*this, out, nullptr)) *this = out;
    return *this;
}

AcGeMatrix3d AcGeMatrix3d::inverse() const {
    AcGeMatrix3d copy(*this);
    return copy.invert();
}

bool AcGeMatrix3d::isSingular(const AcGeTol& tol) const { return std::fabs(det()) <= tol.equalVector(); }

AcGeMatrix3d& AcGeMatrix3d::setToTranslation(const AcGeVector3d& v) {
    setToIdentity();
    entry[0][3] = v.x;
    entry[1][3] = v.y;
    entry[2][3] = v.z;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setToRotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
    // Columns are the rotated unit axes; then move so that center stays fixed.
    AcGeVector3d cols[3] = {AcGeVector3d::kXAxis, AcGeVector3d::kYAxis, AcGeVector3d::kZAxis};
    setToIdentity();
    for (int c = 0; c < 3; ++c) {
        cols[c].rotateBy(angle, axis);
        entry[0][c] = cols[c].x;
        entry[1][c] = cols[c].y;
        entry[2][c] = cols[c].z;
    }
    const AcGePoint3d moved = *this * center;
    entry[0][3] = center.x - moved.x;
    entry[1][3] = center.y - moved.y;
    entry[2][3] = center.z - moved.z;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setToScaling(double scale, const AcGePoint3d& center) {
    setToIdentity();
    for (int i = 0; i < 3; ++i) entry[i][i] = scale;
    entry[0][3] = center.x * (1.0 - scale);
    entry[1][3] = center.y * (1.0 - scale);
    entry[2][3] = center.z * (1.0 - scale);
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setToMirroring(const AcGePoint3d& pt) { return setToScaling(-1.0, pt); }

AcGeMatrix3d& AcGeMatrix3d::setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& xAxis,
                                           const AcGeVector3d& yAxis, const AcGeVector3d& zAxis) {
    setToIdentity();
    const AcGeVector3d axes[3] = {xAxis, yAxis, zAxis};
    for (int c = 0; c < 3; ++c) {
        entry[0][c] = axes[c].x;
        entry[1][c] = axes[c].y;
        entry[2][c] = axes[c].z;
    }
    entry[0][3] = origin.x;
    entry[1][3] = origin.y;
    entry[2][3] = origin.z;
    return *this;
}

void AcGeMatrix3d::getCoordSystem(AcGePoint3d& origin, AcGeVector3d& xAxis, AcGeVector3d& yAxis,
                                  AcGeVector3d& zAxis) const {
    origin.set(entry[0][3], entry[1][3], entry[2][3]);
    xAxis.set(entry[0][0], entry[1][0], entry[2][0]);
    yAxis.set(entry[0][1], entry[1][1], entry[2][1]);
    zAxis.set(entry[0][2], entry[1][2], entry[2][2]);
}

AcGeVector3d AcGeMatrix3d::translation() const { return {entry[0][3], entry[1][3], entry[2][3]}; }

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& v) { return AcGeMatrix3d().setToTranslation(v); }

AcGeMatrix3d AcGeMatrix3d::rotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
    return AcGeMatrix3d().setToRotation(angle, axis, center);
}

AcGeMatrix3d AcGeMatrix3d::scaling(double scale, const AcGePoint3d& center) {
    return AcGeMatrix3d().setToScaling(scale, center);
}

AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePoint3d& pt) { return AcGeMatrix3d().setToMirroring(pt); }

AcGeMatrix3d AcGeMatrix3d::alignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromXAxis,
                                         const AcGeVector3d& fromYAxis, const AcGeVector3d& fromZAxis,
                                         const AcGePoint3d& toOrigin, const AcGeVector3d& toXAxis,
                                         const AcGeVector3d& toYAxis, const AcGeVector3d& toZAxis) {
    AcGeMatrix3d from;
    from.setCoordSystem(fromOrigin, fromXAxis, fromYAxis, fromZAxis);
    AcGeMatrix3d to;
    to.setCoordSystem(toOrigin, toXAxis, toYAxis, toZAxis);
    return to * from.inverse();
}

AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p) {
    const auto& e = m.entry;
    const double w = e[3][0] * p.x + e[3][1] * p.y + e[3][2] * p.z + e[3][3];
    AcGePoint3d out(e[0][0] * p.x + e[0][1] * p.y + e[0][2] * p.z + e[0][3],
                    e[1][0] * p.x + e[1][1] * p.y + e[1][2] * p.z + e[1][3],
                    e[2][0] * p.x + e[2][1] * p.y + e[2][2] * p.z + e[2][3]);
    if (w != 1.0 && w != 0.0) out.set(out.x / w, out.y / w, out.z / w);
    return out;
}

AcGeVector3d operator*(const AcGeMatrix3d& m, const AcGeVector3d& v) {
    const auto& e = m.entry;
    return {e[0][0] * v.x + e[0][1] * v.y + e[0][2] * v.z, e[1][0] * v.x + e[1][1] * v.y + e[1][2] * v.z,
            e[2][0] * v.x + e[2][1] * v.y + e[2][2] * v.z};
}

// ---- linear entities ----

AcGeVector3d AcGeLinearEnt3d::direction() const { return m_span.normal(); }

bool AcGeLinearEnt3d::coversParam(double t, const AcGeTol& tol) const {
    if (!m_bounded) return true;
    const double slack = tol.equalPoint() / m_span.length();
    return t >= -slack && t <= 1.0 + slack;
}

bool AcGeLinearEnt3d::isParallelTo(const AcGeLinearEnt3d& other, const AcGeTol& tol) const {
    return m_span.isParallelTo(other.m_span, tol);
}

AcGePoint3d AcGeLinearEnt3d::closestPointTo(const AcGePoint3d& pt) const {
    const double len2 = m_span.lengthSqrd();
    if (len2 == 0.0) return m_origin;
    double t = (pt - m_origin).dotProduct(m_span) / len2;
    if (m_bounded) t = std::clamp(t, 0.0, 1.0);
    return m_origin + m_span * t;
}

bool AcGeLinearEnt3d::isOn(const AcGePoint3d& pt, const AcGeTol& tol) const {
    return closestPointTo(pt).distanceTo(pt) <= tol.equalPoint();
}

bool AcGeLinearEnt3d::intersectWith(const AcGeLinearEnt3d& other, AcGePoint3d& intPt, const AcGeTol& tol) const {
    const AcGeVector3d& u = m_span;
    const AcGeVector3d& v = other.m_span;
    if (u.isZeroLength(tol) || v.isZeroLength(tol) || u.isParallelTo(v, tol)) return false;
    // Closest points of the two carrier lines: P + t*u and Q + s*v.
    const AcGeVector3d w = m_origin - other.m_origin;
    const double a = u.dotProduct(u);
    const double b = u.dotProduct(v);
    const double c = v.dotProduct(v);
    const double d = u.dotProduct(w);
    const double e = v.dotProduct(w);
    const double denom = a * c - b * b;
    if (denom == 0.0) return false;
    const double t = (b * e - c * d) / denom;
    const double s = (a * e - b * d) / denom;
    const AcGePoint3d onThis = m_origin + u * t;
    const AcGePoint3d onOther = other.m_origin + v * s;
    // Skew lines miss each other; the slack scales with the coordinates so
    // rounding on large drawings is not mistaken for a gap.
    const double scale = std::max({1.0, std::fabs(onThis.x), std::fabs(onThis.y), std::fabs(onThis.z)});
    if (onThis.distanceTo(onOther) > std::max(tol.equalPoint(), 1e-12) * scale) return false;
    if (!coversParam(t, tol) || !other.coversParam(s, tol)) return false;
    intPt = onThis;
    return true;
}

AcGeLine3d& AcGeLine3d::set(const AcGePoint3d& pnt1, const AcGePoint3d& pnt2) {
    m_origin = pnt1;
    m_span = pnt2 - pnt1;
    return *this;
}

AcGeLineSeg3d& AcGeLineSeg3d::set(const AcGePoint3d& pnt1, const AcGePoint3d& pnt2) {
    m_origin = pnt1;
    m_span = pnt2 - pnt1;
    return *this;
}
