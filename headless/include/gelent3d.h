#pragma once
// Headless host: unbounded lines and bounded segments in 3D.
//
// intersectWith answers true with the one common point when two linear
// entities meet in exactly one point (segment end points count, within the
// tolerance's equalPoint); parallel, coincident, skew or disjoint input
// answers false and leaves the point untouched.
#include "gepnt3d.h"

class AcGeLinearEnt3d {
public:
    virtual ~AcGeLinearEnt3d() = default;
    AcGePoint3d pointOnLine() const { return m_origin; }
    AcGeVector3d direction() const;  // unit vector
    bool isBounded() const { return m_bounded; }
    bool isParallelTo(const AcGeLinearEnt3d& other, const AcGeTol& tol = AcGeContext::gTol) const;
    bool isOn(const AcGePoint3d& pt, const AcGeTol& tol = AcGeContext::gTol) const;
    AcGePoint3d closestPointTo(const AcGePoint3d& pt) const;
    bool intersectWith(const AcGeLinearEnt3d& other, AcGePoint3d& intPt,
                       const AcGeTol& tol = AcGeContext::gTol) const;

protected:
    AcGeLinearEnt3d(const AcGePoint3d& origin, const AcGeVector3d& span, bool bounded)
        : m_origin(origin), m_span(span), m_bounded(bounded) {}
    // Parameter of the point origin + t * span; bounded entities cover [0, 1].
    bool coversParam(double t, const AcGeTol& tol) const;

    AcGePoint3d m_origin;
    AcGeVector3d m_span;
    bool m_bounded;
};

class AcGeLine3d : public AcGeLinearEnt3d {
public:
    AcGeLine3d() : AcGeLinearEnt3d(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis, false) {}
    AcGeLine3d(const AcGePoint3d& pnt1, const AcGePoint3d& pnt2)
        : AcGeLinearEnt3d(pnt1, pnt2 - pnt1, false) {}
    AcGeLine3d(const AcGePoint3d& pnt, const AcGeVector3d& vec) : AcGeLinearEnt3d(pnt, vec, false) {}
    AcGeLine3d& set(const AcGePoint3d& pnt1, const AcGePoint3d& pnt2);
};

class AcGeLineSeg3d : public AcGeLinearEnt3d {
public:
    AcGeLineSeg3d() : AcGeLinearEnt3d(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis, true) {}
    AcGeLineSeg3d(const AcGePoint3d& pnt1, const AcGePoint3d& pnt2)
        : AcGeLinearEnt3d(pnt1, pnt2 - pnt1, true) {}
    AcGeLineSeg3d& set(const AcGePoint3d& pnt1, const AcGePoint3d& pnt2);
    AcGePoint3d startPoint() const { return m_origin; }
    AcGePoint3d endPoint() const { return m_origin + m_span; }
    AcGePoint3d midPoint() const { return m_origin + m_span * 0.5; }
    double length() const { return m_span.length(); }
};
