#pragma once
// Headless host: the lightweight polyline. Vertices are 2D points in the
// plane z = elevation (normal +Z), each with the bulge and the widths of the
// segment that leaves it. A width of -1 means "the constant width".
#include "dbents.h"

class AcDbPolyline : public AcDbCurve {
public:
    ACDB_DECLARE_COPYABLE(AcDbPolyline)
    explicit AcDbPolyline(unsigned int numVerts = 0);

    unsigned int numVerts() const { return static_cast<unsigned int>(m_vertices.size()); }
    // index may be numVerts() (append); beyond: eInvalidIndex.
    Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge = 0.0,
                                  double startWidth = -1.0, double endWidth = -1.0);
    Acad::ErrorStatus removeVertexAt(unsigned int index);
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& pt) const;
    // World point: x, y and the elevation.
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& pt) const;
    Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& pt);
    Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
    Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
    // The stored widths (-1: the constant width).
    Acad::ErrorStatus getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
    Acad::ErrorStatus setWidthsAt(unsigned int index, double startWidth, double endWidth);
    // Sets the constant width and gives it to every segment.
    Acad::ErrorStatus setConstantWidth(double width);
    // eInvalidInput unless every segment has the same width.
    Acad::ErrorStatus getConstantWidth(double& width) const;
    // Not in the host: the constant width as last set, which segments with
    // the stored width -1 use even when others differ (files keep both).
    double storedConstantWidth() const { return m_constantWidth; }
    bool isClosed() const override { return m_closed; }
    Acad::ErrorStatus setClosed(bool closed);
    bool hasBulges() const;
    bool isOnlyLines() const { return !hasBulges(); }
    double elevation() const { return m_elevation; }
    Acad::ErrorStatus setElevation(double elevation);
    AcGeVector3d normal() const { return AcGeVector3d::kZAxis; }

    Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                        bool extend = false) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    struct Vertex {
        AcGePoint2d pt;
        double bulge;
        double startWidth;
        double endWidth;
    };
    std::vector<Vertex> m_vertices;
    double m_constantWidth = 0.0;
    double m_elevation = 0.0;
    bool m_closed = false;
};
