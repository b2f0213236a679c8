#pragma once
// Headless host: points, 3D polylines and the four-cornered entities (in the
// host these are declared in dbents.h, which includes this header).
#include "dbents.h"

class AcDbPoint : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbPoint)
    AcDbPoint() = default;
    explicit AcDbPoint(const AcGePoint3d& position) : m_position(position) {}
    AcGePoint3d position() const { return m_position; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& pt);
    double thickness() const { return m_thickness; }
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const { return m_normal; }
    // A vector of zero length is refused (eInvalidInput); others are made unit.
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    // The angle of the point's X axis (how point styles are drawn).
    double ecsRotation() const { return m_ecsRotation; }
    Acad::ErrorStatus setEcsRotation(double angle);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    AcGePoint3d m_position;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    double m_thickness = 0.0;
    double m_ecsRotation = 0.0;
};

// A vertex of a 3D polyline, in world coordinates.
class AcDb3dPolylineVertex : public AcDbVertex {
public:
    ACDB_DECLARE_COPYABLE(AcDb3dPolylineVertex)
    AcDb3dPolylineVertex() = default;
    explicit AcDb3dPolylineVertex(const AcGePoint3d& position) : m_position(position) {}
    AcGePoint3d position() const { return m_position; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& pt);
    AcDb::Vertex3dType vertexType() const { return m_type; }
    Acad::ErrorStatus setVertexType(AcDb::Vertex3dType type);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

private:
    AcGePoint3d m_position;
    AcDb::Vertex3dType m_type = AcDb::k3dSimpleVertex;
};

// A polyline of straight segments through points in space. Its vertices
// are objects of their own, owned by the polyline, as for AcDb2dPolyline.
// The curve runs through the vertices that are not spline control points:
// parameter i at the i-th of them, linear in between (a closed polyline
// ends at parameter n on its first vertex).
class AcDb3dPolyline : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDb3dPolyline)
    AcDb3dPolyline() = default;
    AcDb3dPolyline(AcDb::Poly3dType type, AcGePoint3dArray& vertices, Adesk::Boolean closed = false);
    ~AcDb3dPolyline() override;
    AcDb3dPolyline(const AcDb3dPolyline&) = delete;
    AcDb3dPolyline& operator=(const AcDb3dPolyline&) = delete;

    // A snapshot for undo (see AcDb2dPolyline::clone).
    AcRxObject* clone() const override;
    Acad::ErrorStatus copyFrom(const AcRxObject* other) override;

    AcDb::Poly3dType polyType() const { return m_type; }
    Acad::ErrorStatus setPolyType(AcDb::Poly3dType type);
    bool isClosed() const override { return m_closed; }
    Acad::ErrorStatus makeClosed();
    Acad::ErrorStatus makeOpen();

    // Takes the vertex; as AcDb2dPolyline::appendVertex.
    Acad::ErrorStatus appendVertex(AcDb3dPolylineVertex* vertex);
    Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb3dPolylineVertex* vertex);
    // A new iterator over the vertices (the caller deletes it).
    AcDbObjectIterator* vertexIterator() const;
    Acad::ErrorStatus openVertex(AcDb3dPolylineVertex*& vertex, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false) const;

    // Queries answer eDegenerateGeometry for a polyline without vertices.
    Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                        bool extend = false) const override;
    Acad::ErrorStatus getStartParam(double& param) const override;
    Acad::ErrorStatus getEndParam(double& param) const override;
    // Parameters outside the curve: eInvalidInput.
    Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
    Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
    Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
    Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& firstDeriv) const override;
    // Moves the polyline and its vertices (which must not be open).
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    // A line per segment.
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;

protected:
    void subAppended() override;

private:
    // The positions of the vertices the curve runs through, the first
    // repeated at the end when closed.
    std::vector<AcGePoint3d> path() const;
    std::vector<AcDb3dPolylineVertex*> allVertices() const;
    void takeOwnData(const AcDb3dPolyline& src);

    AcDb::Poly3dType m_type = AcDb::k3dSimplePoly;
    bool m_closed = false;
    host_detail::OwnedEntities m_vertices;
};

// Four corners (the fourth equal to the third for a triangle), as AcDbSolid,
// AcDbTrace and AcDbFace share them. Corner indexes above 3: eInvalidIndex.
class AcDbSolid : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbSolid)
    AcDbSolid() = default;
    AcDbSolid(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2);
    AcDbSolid(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2, const AcGePoint3d& pt3);
    Acad::ErrorStatus getPointAt(Adesk::UInt16 idx, AcGePoint3d& pntRes) const;
    Acad::ErrorStatus setPointAt(Adesk::UInt16 idx, const AcGePoint3d& pntVal);
    double thickness() const { return m_thickness; }
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const { return m_normal; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    AcGePoint3d m_points[4];
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    double m_thickness = 0.0;
};

class AcDbTrace : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbTrace)
    AcDbTrace() = default;
    AcDbTrace(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2, const AcGePoint3d& pt3);
    Acad::ErrorStatus getPointAt(Adesk::UInt16 idx, AcGePoint3d& pntRes) const;
    Acad::ErrorStatus setPointAt(Adesk::UInt16 idx, const AcGePoint3d& pntVal);
    double thickness() const { return m_thickness; }
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const { return m_normal; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    AcGePoint3d m_points[4];
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    double m_thickness = 0.0;
};

// A three- or four-sided face in space whose edges can be hidden one by one.
class AcDbFace : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbFace)
    AcDbFace() = default;
    AcDbFace(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2, const AcGePoint3d& pt3,
             Adesk::Boolean e0vis = true, Adesk::Boolean e1vis = true, Adesk::Boolean e2vis = true,
             Adesk::Boolean e3vis = true);
    AcDbFace(const AcGePoint3d& pt0, const AcGePoint3d& pt1, const AcGePoint3d& pt2, Adesk::Boolean e0vis = true,
             Adesk::Boolean e1vis = true, Adesk::Boolean e2vis = true, Adesk::Boolean e3vis = true);
    Acad::ErrorStatus getVertexAt(Adesk::UInt16 idx, AcGePoint3d& pntRes) const;
    Acad::ErrorStatus setVertexAt(Adesk::UInt16 idx, const AcGePoint3d& pntVal);
    // The same corners under the names the other corner entities use.
    Acad::ErrorStatus getPointAt(Adesk::UInt16 idx, AcGePoint3d& pntRes) const { return getVertexAt(idx, pntRes); }
    Acad::ErrorStatus setPointAt(Adesk::UInt16 idx, const AcGePoint3d& pntVal) { return setVertexAt(idx, pntVal); }
    Acad::ErrorStatus isEdgeVisibleAt(Adesk::UInt16 idx, Adesk::Boolean& visible) const;
    Acad::ErrorStatus makeEdgeVisibleAt(Adesk::UInt16 idx);
    Acad::ErrorStatus makeEdgeInvisibleAt(Adesk::UInt16 idx);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    AcGePoint3d m_points[4];
    bool m_visible[4] = {true, true, true, true};
};
