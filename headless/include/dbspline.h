#pragma once
// Headless host: splines, NURBS curves evaluated exactly.
//
// A spline is a non-uniform rational B-spline: degree, control points,
// knots (control points + degree + 1 of them, not decreasing) and, when
// rational, a positive weight per control point. It runs over the knots
// from knots[degree] to knots[numControlPoints]; parameters are knot values.
// A spline made from fit points keeps them (and its tangents and tolerance)
// beside the control points it interpolates them with: a cubic through
// every fit point, knots at the summed chord lengths, end tangents given or
// else those of the parabola through the first (last) three points, as the
// host makes them (order 2 gives the polygon through the points; fit
// splines of other orders are made cubic). Data that does not make a valid
// NURBS curve leaves the spline empty: its queries answer
// eDegenerateGeometry.
#include "dbents.h"

class AcDbSpline : public AcDbCurve {
public:
    ACDB_DECLARE_COPYABLE(AcDbSpline)
    AcDbSpline() = default;
    AcDbSpline(const AcGePoint3dArray& fitPoints, int order = 4, double fitTolerance = 0.0);
    AcDbSpline(const AcGePoint3dArray& fitPoints, const AcGeVector3d& startTangent, const AcGeVector3d& endTangent,
               int order = 4, double fitTolerance = 0.0);
    // Empty knots give uniform knots clamped at both ends; empty weights on
    // a rational spline give weights 1.
    AcDbSpline(int degree, Adesk::Boolean rational, Adesk::Boolean closed, Adesk::Boolean periodic,
               const AcGePoint3dArray& controlPoints, const AcGeDoubleArray& knots, const AcGeDoubleArray& weights,
               double controlPtTol = 0.0, double knotTol = 0.0);

    int degree() const { return m_degree; }
    bool isRational() const { return m_rational; }
    // The closed flag, or start and end points that coincide.
    bool isClosed() const override;
    bool isPeriodic() const override { return m_periodic; }
    bool isPlanar() const;
    int numControlPoints() const { return m_controlPoints.length(); }
    Acad::ErrorStatus getControlPointAt(int index, AcGePoint3d& point) const;
    // Changing a control point drops the fit data (as the host does).
    Acad::ErrorStatus setControlPointAt(int index, const AcGePoint3d& point);
    double weightAt(int index) const;
    Acad::ErrorStatus setWeightAt(int index, double weight);
    int numFitPoints() const { return m_fitPoints.length(); }
    Acad::ErrorStatus getFitPointAt(int index, AcGePoint3d& point) const;
    bool hasFitData() const { return !m_fitPoints.isEmpty(); }
    Acad::ErrorStatus fitTolerance(double& tol) const {
        tol = m_fitTolerance;
        return Acad::eOk;
    }

    Acad::ErrorStatus getNurbsData(int& degree, Adesk::Boolean& rational, Adesk::Boolean& closed,
                                   Adesk::Boolean& periodic, AcGePoint3dArray& controlPoints,
                                   AcGeDoubleArray& knots, AcGeDoubleArray& weights, double& controlPtTol,
                                   double& knotTol) const;
    // eInvalidInput for data that is not a valid NURBS curve (the spline is
    // unchanged); drops the fit data.
    Acad::ErrorStatus setNurbsData(int degree, Adesk::Boolean rational, Adesk::Boolean closed,
                                   Adesk::Boolean periodic, const AcGePoint3dArray& controlPoints,
                                   const AcGeDoubleArray& knots, const AcGeDoubleArray& weights,
                                   double controlPtTol, double knotTol);
    // eNotApplicable for a spline without fit data.
    Acad::ErrorStatus getFitData(AcGePoint3dArray& fitPoints, int& degree, double& fitTolerance,
                                 Adesk::Boolean& tangentsExist, AcGeVector3d& startTangent,
                                 AcGeVector3d& endTangent) const;
    // Rebuilds the curve through the points; fewer than two distinct points:
    // eInvalidInput (the spline is unchanged).
    Acad::ErrorStatus setFitData(const AcGePoint3dArray& fitPoints, int degree, double fitTolerance,
                                 const AcGeVector3d& startTangent, const AcGeVector3d& endTangent);
    // Not in the host: a file reader's way to keep a spline as stored, the
    // NURBS data and the fit data side by side, without refitting. Answers
    // as setNurbsData.
    Acad::ErrorStatus setStoredData(int degree, bool rational, bool closed, bool periodic,
                                    const AcGePoint3dArray& controlPoints, const AcGeDoubleArray& knots,
                                    const AcGeDoubleArray& weights, double controlPtTol, double knotTol,
                                    const AcGePoint3dArray& fitPoints, double fitTolerance,
                                    const AcGeVector3d& startTangent, const AcGeVector3d& endTangent);
    AcGeVector3d normal() const { return m_normal; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);

    Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const override;
    // The nearest point: the best of samples over every knot span, refined
    // to rounding error where the way to the point meets the curve square.
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                        bool extend = false) const override;
    Acad::ErrorStatus getStartParam(double& param) const override;
    Acad::ErrorStatus getEndParam(double& param) const override;
    // Parameters outside the curve: eInvalidInput.
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
    Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
    // Lengths by Gauss-Legendre quadrature per knot span (to about 1e-12
    // relative for smooth spans).
    Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
    Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& firstDeriv) const override;
    // Control points, fit points and tangents move with the matrix (any
    // affine matrix: the curve follows exactly).
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    // The box of the curve itself (extremes found per knot span).
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    bool valid() const { return !m_controlPoints.isEmpty(); }
    void fit(const AcGePoint3dArray& fitPoints, int order, const AcGeVector3d* startTangent,
             const AcGeVector3d* endTangent);
    AcGePoint3d evaluate(double u, AcGeVector3d* deriv) const;
    double lengthBetween(double from, double to) const;

    int m_degree = 3;
    bool m_rational = false;
    bool m_closed = false;
    bool m_periodic = false;
    AcGePoint3dArray m_controlPoints;
    AcGeDoubleArray m_knots;
    AcGeDoubleArray m_weights;  // empty unless rational
    double m_controlPtTol = 0.0;
    double m_knotTol = 0.0;
    AcGePoint3dArray m_fitPoints;
    double m_fitTolerance = 0.0;
    AcGeVector3d m_startTangent;  // zero: none given
    AcGeVector3d m_endTangent;
    AcGeVector3d m_normal;  // zero: not planar or not known
};
