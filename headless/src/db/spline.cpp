// Splines: NURBS evaluation (de Boor with homogeneous weights), fitting a
// cubic through points, lengths, nearest points and boxes.
#include <algorithm>
#include <cmath>

#include "../dbinternal.h"
#include "dbspline.h"
#include "geom_internal.h"

ACRX_DEFINE_MEMBERS(AcDbSpline, AcDbCurve)

namespace {

constexpr int kMaxDegree = 25;
constexpr int kSamplesPerSpan = 16;

// The knot span [U[s], U[s+1]) holding u, s in [p, n-1] for n control points.
int FindSpan(int n, int p, double u, const AcGeDoubleArray& U) {
    if (u >= U[n]) {
        int s = n - 1;
        while (s > p && U[s] >= U[s + 1]) --s;  // the last span of non-zero width
        return s;
    }
    if (u <= U[p]) {
        int s = p;
        while (s < n - 1 && U[s + 1] <= U[p]) ++s;
        return s;
    }
    int lo = p, hi = n;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        (u < U[mid] ? hi : lo) = mid;
    }
    return lo;
}

// The p+1 basis functions not zero on span s at u, and their derivatives.
void Basis(int s, double u, int p, const AcGeDoubleArray& U, double* N, double* dN) {
    double left[kMaxDegree + 2], right[kMaxDegree + 2];
    double ndu[kMaxDegree + 2][kMaxDegree + 2];
    ndu[0][0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = u - U[s + 1 - j];
        right[j] = U[s + j] - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            ndu[j][r] = right[r + 1] + left[j - r];  // lower triangle: knot differences
            const double temp = ndu[j][r] != 0.0 ? ndu[r][j - 1] / ndu[j][r] : 0.0;
            ndu[r][j] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        ndu[j][j] = saved;
    }
    for (int j = 0; j <= p; ++j) N[j] = ndu[j][p];
    if (!dN) return;
    // First derivatives from the degree p-1 functions.
    for (int r = 0; r <= p; ++r) {
        double d = 0.0;
        if (p == 0) {
            dN[r] = 0.0;
            continue;
        }
        if (r >= 1 && ndu[p][r - 1] != 0.0) d += ndu[r - 1][p - 1] / ndu[p][r - 1];
        if (r <= p - 1 && ndu[p][r] != 0.0) d -= ndu[r][p - 1] / ndu[p][r];
        dN[r] = d * p;
    }
}

bool FinitePoints(const AcGePoint3dArray& pts) {
    return std::all_of(pts.begin(), pts.end(), [](const AcGePoint3d& p) { return host_detail::Finite(p); });
}

// Whether the data makes a NURBS curve (knots filled in when empty).
bool CheckNurbs(int degree, bool rational, const AcGePoint3dArray& cps, AcGeDoubleArray& knots,
                AcGeDoubleArray& weights) {
    const int n = cps.length();
    if (degree < 1 || degree > kMaxDegree || n < degree + 1 || !FinitePoints(cps)) return false;
    if (knots.isEmpty()) {
        for (int i = 0; i <= degree; ++i) knots.append(0.0);
        for (int i = 1; i < n - degree; ++i) knots.append(i);
        for (int i = 0; i <= degree; ++i) knots.append(n - degree);
    }
    if (knots.length() != n + degree + 1) return false;
    for (int i = 0; i < knots.length(); ++i)
        if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1])) return false;
    if (!(knots[degree] < knots[n])) return false;
    if (!rational) {
        weights.removeAll();
        return true;
    }
    if (weights.isEmpty()) weights.setLogicalLength(n).setAll(1.0);
    if (weights.length() != n) return false;
    return std::all_of(weights.begin(), weights.end(), [](double w) { return w > 0.0 && std::isfinite(w); });
}

// Derivative at t of the parabola through (t0,q0), (t1,q1), (t2,q2).
AcGeVector3d ParabolaSlope(double t, double t0, double t1, double t2, const AcGePoint3d& q0, const AcGePoint3d& q1,
                           const AcGePoint3d& q2) {
    const double l0 = ((t - t1) + (t - t2)) / ((t0 - t1) * (t0 - t2));
    const double l1 = ((t - t0) + (t - t2)) / ((t1 - t0) * (t1 - t2));
    const double l2 = ((t - t0) + (t - t1)) / ((t2 - t0) * (t2 - t1));
    return q0.asVector() * l0 + q1.asVector() * l1 + q2.asVector() * l2;
}

// Gauss-Legendre nodes and weights on [-1, 1], 8 points.
const double kGaussX[8] = {-0.9602898564975363, -0.7966664774136267, -0.5255324099163290, -0.1834346424956498,
                           0.1834346424956498,  0.5255324099163290,  0.7966664774136267,  0.9602898564975363};
const double kGaussW[8] = {0.1012285362903763, 0.2223810344533745, 0.3137066458778873, 0.3626837833783620,
                           0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};

}  // namespace

// ---- construction ----

AcDbSpline::AcDbSpline(const AcGePoint3dArray& fitPoints, int order, double fitTolerance)
    : m_fitTolerance(fitTolerance) {
    fit(fitPoints, order, nullptr, nullptr);
}

AcDbSpline::AcDbSpline(const AcGePoint3dArray& fitPoints, const AcGeVector3d& startTangent,
                       const AcGeVector3d& endTangent, int order, double fitTolerance)
    : m_fitTolerance(fitTolerance) {
    fit(fitPoints, order, &startTangent, &endTangent);
}

AcDbSpline::AcDbSpline(int degree, Adesk::Boolean rational, Adesk::Boolean closed, Adesk::Boolean periodic,
                       const AcGePoint3dArray& controlPoints, const AcGeDoubleArray& knots,
                       const AcGeDoubleArray& weights, double controlPtTol, double knotTol) {
    AcGeDoubleArray k(knots), w(weights);
    if (!CheckNurbs(degree, rational, controlPoints, k, w)) return;
    m_degree = degree;
    m_rational = rational;
    m_closed = closed;
    m_periodic = periodic;
    m_controlPoints = controlPoints;
    m_knots = k;
    m_weights = w;
    m_controlPtTol = controlPtTol;
    m_knotTol = knotTol;
}

void AcDbSpline::fit(const AcGePoint3dArray& fitPoints, int order, const AcGeVector3d* startTangent,
                     const AcGeVector3d* endTangent) {
    m_controlPoints.removeAll();
    m_knots.removeAll();
    m_weights.removeAll();
    m_rational = m_periodic = false;
    // Coincident neighbours would give knots of zero width.
    std::vector<AcGePoint3d> q;
    for (const AcGePoint3d& p : fitPoints)
        if (host_detail::Finite(p) && (q.empty() || !p.isEqualTo(q.back()))) q.push_back(p);
    if (q.size() < 2) return;
    m_fitPoints.removeAll();
    for (const auto& p : q) m_fitPoints.append(p);
    const int n = static_cast<int>(q.size()) - 1;
    std::vector<double> u(q.size(), 0.0);
    for (int k = 1; k <= n; ++k) u[k] = u[k - 1] + q[k].distanceTo(q[k - 1]);
    const double total = u[n];
    m_closed = q.front().isEqualTo(q.back());
    m_startTangent = startTangent && startTangent->length() > 0.0 ? startTangent->normal() : AcGeVector3d();
    m_endTangent = endTangent && endTangent->length() > 0.0 ? endTangent->normal() : AcGeVector3d();

    if (order == 2) {
        m_degree = 1;
        m_knots.append(0.0);
        for (int k = 0; k <= n; ++k) m_knots.append(u[k]);
        m_knots.append(total);
        m_controlPoints = m_fitPoints;
        return;
    }
    m_degree = 3;
    // End derivatives with respect to the chord-length parameter.
    AcGeVector3d d0 = m_startTangent, dn = m_endTangent;
    if (d0.length() == 0.0 || dn.length() == 0.0) {
        AcGeVector3d s = (q[1] - q[0]) / u[1], e = (q[n] - q[n - 1]) / (u[n] - u[n - 1]);
        if (n >= 2 && m_closed) {
            // Round a closed loop: one tangent for both ends.
            s = e = (q[1] - q[n - 1]) / (u[1] + (total - u[n - 1]));
        } else if (n >= 2) {
            s = ParabolaSlope(0.0, 0.0, u[1], u[2], q[0], q[1], q[2]);
            e = ParabolaSlope(total, u[n - 2], u[n - 1], total, q[n - 2], q[n - 1], q[n]);
        }
        if (d0.length() == 0.0) d0 = s;
        if (dn.length() == 0.0) dn = e;
    }
    // Knots: four at each end and the inner fit parameters.
    for (int i = 0; i < 4; ++i) m_knots.append(0.0);
    for (int k = 1; k < n; ++k) m_knots.append(u[k]);
    for (int i = 0; i < 4; ++i) m_knots.append(total);
    // n+3 control points from a tridiagonal system: the ends, the end
    // derivatives and the curve through each inner fit point.
    const int m = n + 3;
    std::vector<double> a(m, 0.0), b(m, 1.0), c(m, 0.0);
    std::vector<AcGeVector3d> r(m);
    r[0] = q[0].asVector();
    a[1] = -1.0;
    r[1] = d0 * (u[1] / 3.0);
    for (int k = 1; k < n; ++k) {
        double N[4];
        const int s = FindSpan(m, 3, u[k], m_knots);
        Basis(s, u[k], 3, m_knots, N, nullptr);
        // Row k+1 holds control points k..k+2 (span s starts at s-3 = k).
        const int first = s - 3;
        double coeff[3] = {0, 0, 0};
        for (int j = 0; j < 4; ++j) {
            const int col = first + j - k;
            if (col >= 0 && col < 3) coeff[col] += N[j];
        }
        a[k + 1] = coeff[0];
        b[k + 1] = coeff[1];
        c[k + 1] = coeff[2];
        r[k + 1] = q[k].asVector();
    }
    b[n + 1] = -1.0;
    c[n + 1] = 1.0;
    r[n + 1] = dn * ((total - u[n - 1]) / 3.0);
    r[n + 2] = q[n].asVector();
    // Thomas algorithm.
    for (int i = 1; i < m; ++i) {
        if (b[i - 1] == 0.0) return;
        const double f = a[i] / b[i - 1];
        b[i] -= f * c[i - 1];
        r[i] -= r[i - 1] * f;
    }
    std::vector<AcGeVector3d> x(m);
    if (b[m - 1] == 0.0) return;
    x[m - 1] = r[m - 1] / b[m - 1];
    for (int i = m - 2; i >= 0; --i) {
        if (b[i] == 0.0) return;
        x[i] = (r[i] - x[i + 1] * c[i]) / b[i];
    }
    for (const auto& v : x) m_controlPoints.append(AcGePoint3d::kOrigin + v);
}

// ---- data ----

bool AcDbSpline::isClosed() const {
    if (m_closed) return true;
    AcGePoint3d s, e;
    return getStartPoint(s) == Acad::eOk && getEndPoint(e) == Acad::eOk && s.isEqualTo(e);
}

bool AcDbSpline::isPlanar() const {
    if (!valid()) return false;
    const AcGePoint3d o = m_controlPoints[0];
    AcGeVector3d n;
    double size = 0.0;
    for (const auto& p : m_controlPoints) size = std::max(size, p.distanceTo(o));
    for (int i = 1; i < numControlPoints() && n.length() <= 1e-12 * size * size; ++i)
        for (int j = i + 1; j < numControlPoints() && n.length() <= 1e-12 * size * size; ++j)
            n = (m_controlPoints[i] - o).crossProduct(m_controlPoints[j] - o);
    if (n.length() <= 1e-12 * size * size) return true;  // on a line
    n.normalize();
    for (const auto& p : m_controlPoints)
        if (std::fabs((p - o).dotProduct(n)) > 1e-9 * (1.0 + size)) return false;
    return true;
}

Acad::ErrorStatus AcDbSpline::getControlPointAt(int index, AcGePoint3d& point) const {
    if (index < 0 || index >= numControlPoints()) return Acad::eInvalidIndex;
    point = m_controlPoints[index];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::setControlPointAt(int index, const AcGePoint3d& point) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (index < 0 || index >= numControlPoints()) return Acad::eInvalidIndex;
    if (!host_detail::Finite(point)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_controlPoints[index] = point;
    m_fitPoints.removeAll();
    return Acad::eOk;
}

double AcDbSpline::weightAt(int index) const {
    if (index < 0 || index >= numControlPoints()) return 0.0;
    return m_rational ? m_weights[index] : 1.0;
}

Acad::ErrorStatus AcDbSpline::setWeightAt(int index, double weight) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (index < 0 || index >= numControlPoints()) return Acad::eInvalidIndex;
    if (!(weight > 0.0) || !std::isfinite(weight)) return Acad::eInvalidInput;
    assertWriteEnabled();
    if (!m_rational) {
        m_rational = true;
        m_weights.setLogicalLength(numControlPoints()).setAll(1.0);
    }
    m_weights[index] = weight;
    m_fitPoints.removeAll();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getFitPointAt(int index, AcGePoint3d& point) const {
    if (index < 0 || index >= numFitPoints()) return Acad::eInvalidIndex;
    point = m_fitPoints[index];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getNurbsData(int& degree, Adesk::Boolean& rational, Adesk::Boolean& closed,
                                           Adesk::Boolean& periodic, AcGePoint3dArray& controlPoints,
                                           AcGeDoubleArray& knots, AcGeDoubleArray& weights, double& controlPtTol,
                                           double& knotTol) const {
    degree = m_degree;
    rational = m_rational;
    closed = isClosed();
    periodic = m_periodic;
    controlPoints = m_controlPoints;
    knots = m_knots;
    weights = m_weights;
    controlPtTol = m_controlPtTol;
    knotTol = m_knotTol;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::setNurbsData(int degree, Adesk::Boolean rational, Adesk::Boolean closed,
                                           Adesk::Boolean periodic, const AcGePoint3dArray& controlPoints,
                                           const AcGeDoubleArray& knots, const AcGeDoubleArray& weights,
                                           double controlPtTol, double knotTol) {
    return setStoredData(degree, rational, closed, periodic, controlPoints, knots, weights, controlPtTol, knotTol,
                         AcGePoint3dArray(), m_fitTolerance, AcGeVector3d(), AcGeVector3d());
}

Acad::ErrorStatus AcDbSpline::setStoredData(int degree, bool rational, bool closed, bool periodic,
                                            const AcGePoint3dArray& controlPoints, const AcGeDoubleArray& knots,
                                            const AcGeDoubleArray& weights, double controlPtTol, double knotTol,
                                            const AcGePoint3dArray& fitPoints, double fitTolerance,
                                            const AcGeVector3d& startTangent, const AcGeVector3d& endTangent) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    AcGeDoubleArray k(knots), w(weights);
    if (!CheckNurbs(degree, rational, controlPoints, k, w) || !FinitePoints(fitPoints)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_degree = degree;
    m_rational = rational;
    m_closed = closed;
    m_periodic = periodic;
    m_controlPoints = controlPoints;
    m_knots = k;
    m_weights = w;
    m_controlPtTol = controlPtTol;
    m_knotTol = knotTol;
    m_fitPoints = fitPoints;
    m_fitTolerance = fitTolerance;
    m_startTangent = startTangent;
    m_endTangent = endTangent;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getFitData(AcGePoint3dArray& fitPoints, int& degree, double& fitTolerance,
                                         Adesk::Boolean& tangentsExist, AcGeVector3d& startTangent,
                                         AcGeVector3d& endTangent) const {
    if (!hasFitData()) return Acad::eNotApplicable;
    fitPoints = m_fitPoints;
    degree = m_degree;
    fitTolerance = m_fitTolerance;
    tangentsExist = m_startTangent.length() > 0.0 || m_endTangent.length() > 0.0;
    startTangent = m_startTangent;
    endTangent = m_endTangent;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::setFitData(const AcGePoint3dArray& fitPoints, int degree, double fitTolerance,
                                         const AcGeVector3d& startTangent, const AcGeVector3d& endTangent) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    AcDbSpline trial(fitPoints, startTangent, endTangent, degree + 1, fitTolerance);
    if (!trial.valid()) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_degree = trial.m_degree;
    m_rational = m_periodic = false;
    m_closed = trial.m_closed;
    m_controlPoints = trial.m_controlPoints;
    m_knots = trial.m_knots;
    m_weights.removeAll();
    m_fitPoints = trial.m_fitPoints;
    m_fitTolerance = fitTolerance;
    m_startTangent = trial.m_startTangent;
    m_endTangent = trial.m_endTangent;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::setNormal(const AcGeVector3d& normal) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::Finite(normal)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_normal = normal.length() > 0.0 ? normal.normal() : AcGeVector3d();
    return Acad::eOk;
}

// ---- evaluation ----

AcGePoint3d AcDbSpline::evaluate(double u, AcGeVector3d* deriv) const {
    const int n = numControlPoints(), p = m_degree;
    const int s = FindSpan(n, p, u, m_knots);
    double N[kMaxDegree + 1], dN[kMaxDegree + 1];
    Basis(s, u, p, m_knots, N, deriv ? dN : nullptr);
    AcGeVector3d A, dA;
    double w = 0.0, dw = 0.0;
    for (int j = 0; j <= p; ++j) {
        const int i = s - p + j;
        const double wi = m_rational ? m_weights[i] : 1.0;
        const AcGeVector3d P = m_controlPoints[i].asVector() * wi;
        A += P * N[j];
        w += wi * N[j];
        if (deriv) {
            dA += P * dN[j];
            dw += wi * dN[j];
        }
    }
    const AcGeVector3d C = A / w;
    if (deriv) *deriv = (dA - C * dw) / w;
    return AcGePoint3d::kOrigin + C;
}

Acad::ErrorStatus AcDbSpline::getStartParam(double& param) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    param = m_knots[m_degree];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getEndParam(double& param) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    param = m_knots[numControlPoints()];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getStartPoint(AcGePoint3d& pt) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    pt = evaluate(m_knots[m_degree], nullptr);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getEndPoint(AcGePoint3d& pt) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    pt = evaluate(m_knots[numControlPoints()], nullptr);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getPointAtParam(double param, AcGePoint3d& point) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    if (!(param >= m_knots[m_degree] && param <= m_knots[numControlPoints()])) return Acad::eInvalidInput;
    point = evaluate(param, nullptr);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getFirstDeriv(double param, AcGeVector3d& firstDeriv) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    if (!(param >= m_knots[m_degree] && param <= m_knots[numControlPoints()])) return Acad::eInvalidInput;
    evaluate(param, &firstDeriv);
    return Acad::eOk;
}

double AcDbSpline::lengthBetween(double from, double to) const {
    double total = 0.0;
    for (int s = m_degree; s < numControlPoints(); ++s) {
        const double a = std::max(from, m_knots[s]), b = std::min(to, m_knots[s + 1]);
        if (!(b > a)) continue;
        constexpr int kPieces = 4;
        for (int piece = 0; piece < kPieces; ++piece) {
            const double lo = a + (b - a) * piece / kPieces, hi = a + (b - a) * (piece + 1) / kPieces;
            const double mid = (lo + hi) / 2, half = (hi - lo) / 2;
            for (int g = 0; g < 8; ++g) {
                AcGeVector3d d;
                evaluate(mid + half * kGaussX[g], &d);
                total += kGaussW[g] * half * d.length();
            }
        }
    }
    return total;
}

Acad::ErrorStatus AcDbSpline::getDistAtParam(double param, double& dist) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    if (!(param >= m_knots[m_degree] && param <= m_knots[numControlPoints()])) return Acad::eInvalidInput;
    dist = lengthBetween(m_knots[m_degree], param);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getParamAtDist(double dist, double& param) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    const double start = m_knots[m_degree], end = m_knots[numControlPoints()];
    const double total = lengthBetween(start, end);
    if (!(dist >= 0.0) || dist > total * (1.0 + 1e-12) + 1e-12) return Acad::eInvalidInput;
    // Bisection kept safe, sped up by Newton steps on the length.
    double lo = start, hi = end, t = start + (end - start) * (total > 0.0 ? dist / total : 0.0);
    for (int i = 0; i < 200 && hi - lo > 1e-15 * (1.0 + std::fabs(hi)); ++i) {
        const double f = lengthBetween(start, t) - dist;
        if (std::fabs(f) <= 1e-13 * (1.0 + total)) break;
        (f < 0.0 ? lo : hi) = t;
        AcGeVector3d d;
        evaluate(t, &d);
        double next = d.length() > 0.0 ? t - f / d.length() : (lo + hi) / 2;
        if (!(next > lo && next < hi)) next = (lo + hi) / 2;
        t = next;
    }
    param = t;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                                bool) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    if (!host_detail::Finite(givenPnt)) return Acad::eInvalidInput;
    auto slope = [&](double t) {
        AcGeVector3d d;
        const AcGePoint3d c = evaluate(t, &d);
        return d.dotProduct(c - givenPnt);
    };
    double bestT = m_knots[m_degree], bestD = evaluate(bestT, nullptr).distanceTo(givenPnt);
    double bestLo = bestT, bestHi = bestT;
    for (int s = m_degree; s < numControlPoints(); ++s) {
        const double a = m_knots[s], b = m_knots[s + 1];
        if (!(b > a)) continue;
        for (int k = 0; k <= kSamplesPerSpan; ++k) {
            const double t = a + (b - a) * k / kSamplesPerSpan;
            const double d = evaluate(t, nullptr).distanceTo(givenPnt);
            if (d < bestD) {
                bestD = d;
                bestT = t;
                bestLo = std::max(a, t - (b - a) / kSamplesPerSpan);
                bestHi = std::min(b, t + (b - a) / kSamplesPerSpan);
            }
        }
    }
    // Where the slope of the distance changes sign next to the best sample.
    for (const auto& bracket : {std::make_pair(bestLo, bestT), std::make_pair(bestT, bestHi)}) {
        double lo = bracket.first, hi = bracket.second;
        if (!(hi > lo) || !(slope(lo) < 0.0 && slope(hi) > 0.0)) continue;
        for (int i = 0; i < 200 && hi - lo > 1e-16 * (1.0 + std::fabs(hi)); ++i) {
            const double mid = (lo + hi) / 2;
            (slope(mid) < 0.0 ? lo : hi) = mid;
        }
        const double t = (lo + hi) / 2;
        const double d = evaluate(t, nullptr).distanceTo(givenPnt);
        if (d <= bestD) {
            bestD = d;
            bestT = t;
        }
    }
    pointOnCurve = evaluate(bestT, nullptr);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getParamAtPoint(const AcGePoint3d& point, double& param) const {
    AcGePoint3d on;
    const Acad::ErrorStatus es = getClosestPointTo(point, on);
    if (es != Acad::eOk) return es;
    if (on.distanceTo(point) > 1e-8 * (1.0 + point.asVector().length())) return Acad::ePointNotOnEntity;
    // The parameter of the nearest point: search again, keeping t.
    double best = m_knots[m_degree], bestD = 1e300;
    for (int s = m_degree; s < numControlPoints(); ++s) {
        const double a = m_knots[s], b = m_knots[s + 1];
        for (int k = 0; k <= kSamplesPerSpan && b > a; ++k) {
            const double t = a + (b - a) * k / kSamplesPerSpan;
            const double d = evaluate(t, nullptr).distanceTo(on);
            if (d < bestD) {
                bestD = d;
                best = t;
            }
        }
    }
    // Newton steps on the projection, kept inside the curve.
    for (int i = 0; i < 50; ++i) {
        AcGeVector3d d;
        const AcGePoint3d c = evaluate(best, &d);
        const double len2 = d.lengthSqrd();
        if (len2 == 0.0) break;
        const double step = d.dotProduct(on - c) / len2;
        best = std::clamp(best + step, m_knots[m_degree], m_knots[numControlPoints()]);
        if (std::fabs(step) <= 1e-15 * (1.0 + std::fabs(best))) break;
    }
    param = best;
    return Acad::eOk;
}

// ---- moving and boxes ----

Acad::ErrorStatus AcDbSpline::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    for (auto& p : m_controlPoints) p = xform * p;
    for (auto& p : m_fitPoints) p = xform * p;
    for (AcGeVector3d* t : {&m_startTangent, &m_endTangent})
        if (t->length() > 0.0) *t = (xform * *t).normal();
    if (m_normal.length() > 0.0) {
        const AcGeVector3d x = xform * AcGeVector3d::kXAxis, y = xform * AcGeVector3d::kYAxis;
        const AcGeVector3d z = xform * AcGeVector3d::kZAxis;
        const double handed = x.crossProduct(y).dotProduct(z) < 0.0 ? -1.0 : 1.0;
        // Normals go with the inverse transpose; for the similarities used
        // here the matrix itself, flipped when it mirrors.
        m_normal = (xform * m_normal).normal() * handed;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getGeomExtents(AcDbExtents& extents) const {
    if (!valid()) return Acad::eDegenerateGeometry;
    extents = AcDbExtents();
    for (int s = m_degree; s < numControlPoints(); ++s) {
        const double a = m_knots[s], b = m_knots[s + 1];
        if (!(b > a)) continue;
        AcGeVector3d prevD;
        double prevT = a;
        for (int k = 0; k <= kSamplesPerSpan; ++k) {
            const double t = a + (b - a) * k / kSamplesPerSpan;
            AcGeVector3d d;
            extents.addPoint(evaluate(t, &d));
            // A coordinate's slope that changes sign: an extreme between.
            for (unsigned axis = 0; axis < 3 && k > 0; ++axis) {
                if (!(prevD[axis] * d[axis] < 0.0)) continue;
                double lo = prevT, hi = t;
                const bool rising = prevD[axis] > 0.0;
                for (int i = 0; i < 100 && hi - lo > 1e-15 * (1.0 + std::fabs(hi)); ++i) {
                    const double mid = (lo + hi) / 2;
                    AcGeVector3d dm;
                    evaluate(mid, &dm);
                    ((dm[axis] > 0.0) == rising ? lo : hi) = mid;
                }
                extents.addPoint(evaluate((lo + hi) / 2, nullptr));
            }
            prevD = d;
            prevT = t;
        }
    }
    return Acad::eOk;
}
