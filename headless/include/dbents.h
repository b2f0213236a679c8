#pragma once
// Headless host: curves and texts.
//
// Curves lie in planes parallel to XY (normal +Z); arcs run counter-clockwise
// from their start angle to their end angle, angles kept in [0, 2*pi).
// getClosestPointTo answers the curve point nearest to the given point
// (extend: the unbounded line, the whole circle or the whole ellipse); every
// curve here supports it. An arc whose start and end angles are equal is a
// single point.
#include "dbmain.h"

namespace host_detail {
class OwnedEntities;
}

// Parameter queries: a curve runs from its start to its end parameter; the
// distance is the length along the curve from the start. Curves that do not
// answer them say eNotImplementedYet. getParamAtPoint answers
// ePointNotOnEntity for a point off the curve. The point-by-distance and
// distance-by-point forms are worked out from the others.
class AcDbCurve : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbCurve)
    virtual bool isClosed() const { return false; }
    virtual bool isPeriodic() const { return false; }
    virtual Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const;
    virtual Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const;
    virtual Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                                bool extend = false) const;
    virtual Acad::ErrorStatus getStartParam(double& param) const;
    virtual Acad::ErrorStatus getEndParam(double& param) const;
    virtual Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const;
    virtual Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const;
    virtual Acad::ErrorStatus getDistAtParam(double param, double& dist) const;
    virtual Acad::ErrorStatus getParamAtDist(double dist, double& param) const;
    virtual Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const;
    virtual Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const;
    virtual Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& firstDeriv) const;
};

class AcDbLine : public AcDbCurve {
public:
    ACDB_DECLARE_COPYABLE(AcDbLine)
    AcDbLine() = default;
    AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : m_start(start), m_end(end) {}
    AcGePoint3d startPoint() const { return m_start; }
    AcGePoint3d endPoint() const { return m_end; }
    Acad::ErrorStatus setStartPoint(const AcGePoint3d& pt);
    Acad::ErrorStatus setEndPoint(const AcGePoint3d& pt);
    AcGeVector3d normal() const { return AcGeVector3d::kZAxis; }
    Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                        bool extend = false) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    AcGePoint3d m_start;
    AcGePoint3d m_end;
};

class AcDbCircle : public AcDbCurve {
public:
    ACDB_DECLARE_COPYABLE(AcDbCircle)
    AcDbCircle() = default;
    AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
        : m_center(center), m_normal(normal), m_radius(radius) {}
    AcGePoint3d center() const { return m_center; }
    Acad::ErrorStatus setCenter(const AcGePoint3d& pt);
    double radius() const { return m_radius; }
    // Radii that are not positive numbers are refused (eInvalidInput).
    Acad::ErrorStatus setRadius(double radius);
    AcGeVector3d normal() const { return m_normal; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    bool isClosed() const override { return true; }
    Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                        bool extend = false) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    AcGePoint3d m_center;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    double m_radius = 0.0;
};

class AcDbArc : public AcDbCurve {
public:
    ACDB_DECLARE_COPYABLE(AcDbArc)
    AcDbArc() = default;
    AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle);
    AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
            double endAngle);
    AcGePoint3d center() const { return m_center; }
    Acad::ErrorStatus setCenter(const AcGePoint3d& pt);
    double radius() const { return m_radius; }
    Acad::ErrorStatus setRadius(double radius);
    double startAngle() const { return m_startAngle; }
    double endAngle() const { return m_endAngle; }
    // Angles are brought into [0, 2*pi).
    Acad::ErrorStatus setStartAngle(double angle);
    Acad::ErrorStatus setEndAngle(double angle);
    AcGeVector3d normal() const { return m_normal; }
    Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                        bool extend = false) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    AcGePoint3d m_center;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    double m_radius = 0.0;
    double m_startAngle = 0.0;
    double m_endAngle = 0.0;
};

class AcDbEllipse : public AcDbCurve {
public:
    ACDB_DECLARE_COPYABLE(AcDbEllipse)
    AcDbEllipse() = default;
    // The ellipse: centre, unit normal, major axis (a vector as long as the
    // half major diameter), minor/major ratio in (0, 1], start and end
    // parameters. set answers eInvalidInput for a zero axis or a bad ratio.
    Acad::ErrorStatus set(const AcGePoint3d& center, const AcGeVector3d& unitNormal, const AcGeVector3d& majorAxis,
                          double radiusRatio, double startAngle = 0.0, double endAngle = 6.283185307179586);
    AcGePoint3d center() const { return m_center; }
    AcGeVector3d normal() const { return m_normal; }
    AcGeVector3d majorAxis() const { return m_majorAxis; }
    AcGeVector3d minorAxis() const;
    double radiusRatio() const { return m_ratio; }
    double startAngle() const { return m_startAngle; }
    double endAngle() const { return m_endAngle; }
    bool isClosed() const override;
    Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const override;
    // Numerical: the best of 360 samples over the sweep (the whole ellipse
    // with extend), refined by Newton steps to rounding error.
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                        bool extend = false) const override;
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    // The point at a parameter: centre + major cos t + minor sin t.
    AcGePoint3d pointAt(double param) const;

    AcGePoint3d m_center;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    AcGeVector3d m_majorAxis = AcGeVector3d::kXAxis;
    double m_ratio = 1.0;
    double m_startAngle = 0.0;
    double m_endAngle = 6.283185307179586;
};

class AcDbText : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbText)
    AcDbText() = default;
    AcDbText(const AcGePoint3d& position, const wchar_t* text, AcDbObjectId style = AcDbObjectId::kNull,
             double height = 0.0, double rotation = 0.0);
    AcGePoint3d position() const { return m_position; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& pt);
    AcGePoint3d alignmentPoint() const { return m_alignment; }
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& pt);
    bool isDefaultAlignment() const { return m_horz == AcDb::kTextLeft && m_vert == AcDb::kTextBase; }
    const wchar_t* textStringConst() const { return m_text.GetString(); }
    CString textString() const { return m_text; }
    Acad::ErrorStatus setTextString(const wchar_t* text);
    double height() const { return m_height; }
    Acad::ErrorStatus setHeight(double height);
    double rotation() const { return m_rotation; }
    Acad::ErrorStatus setRotation(double rotation);
    double widthFactor() const { return m_widthFactor; }
    Acad::ErrorStatus setWidthFactor(double factor);
    double oblique() const { return m_oblique; }
    Acad::ErrorStatus setOblique(double angle);
    AcDb::TextHorzMode horizontalMode() const { return m_horz; }
    Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode mode);
    AcDb::TextVertMode verticalMode() const { return m_vert; }
    Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode mode);
    AcDbObjectId textStyle() const { return m_style; }
    Acad::ErrorStatus setTextStyle(AcDbObjectId style);
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    AcGePoint3d m_position;
    AcGePoint3d m_alignment;
    CString m_text;
    AcDbObjectId m_style;
    double m_height = 0.0;
    double m_rotation = 0.0;
    double m_widthFactor = 1.0;
    double m_oblique = 0.0;
    AcDb::TextHorzMode m_horz = AcDb::kTextLeft;
    AcDb::TextVertMode m_vert = AcDb::kTextBase;
};

class AcDbVertex : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbVertex)
};

// A vertex of a 2D polyline; its position is in the polyline's plane (use
// AcDb2dPolyline::vertexPosition for world coordinates).
class AcDb2dVertex : public AcDbVertex {
public:
    ACDB_DECLARE_COPYABLE(AcDb2dVertex)
    AcDb2dVertex() = default;
    AcDb2dVertex(const AcGePoint3d& position, double bulge = 0.0, double startWidth = 0.0, double endWidth = 0.0)
        : m_position(position), m_bulge(bulge), m_startWidth(startWidth), m_endWidth(endWidth) {}
    AcGePoint3d position() const { return m_position; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& pt);
    double bulge() const { return m_bulge; }
    Acad::ErrorStatus setBulge(double bulge);
    double startWidth() const { return m_startWidth; }
    double endWidth() const { return m_endWidth; }
    Acad::ErrorStatus setStartWidth(double w);
    Acad::ErrorStatus setEndWidth(double w);
    AcDb::Vertex2dType vertexType() const { return m_type; }
    Acad::ErrorStatus setVertexType(AcDb::Vertex2dType type);

private:
    AcGePoint3d m_position;
    double m_bulge = 0.0;
    double m_startWidth = 0.0;
    double m_endWidth = 0.0;
    AcDb::Vertex2dType m_type = AcDb::k2dVertex;
};

// Walks the objects a container owns (the vertices of a 2D polyline).
// entity() is the object itself, not opened: open it by objectId() to use it.
class AcDbObjectIterator {
public:
    virtual ~AcDbObjectIterator() = default;
    bool done() const { return m_pos < 0 || m_pos >= static_cast<int>(m_items.size()); }
    // Moves one step (backwards: one step back), skipping erased objects.
    void step(bool backwards = false, bool skipErasedObjects = true);
    void start(bool atEnd = false);
    AcDbObjectId objectId() const;
    AcDbEntity* entity() const;

private:
    friend class host_detail::OwnedEntities;
    struct Item {
        AcDbObjectId id;
        AcDbEntity* entity;
    };
    bool erasedAt(int pos) const;
    std::vector<Item> m_items;
    int m_pos = 0;
};

namespace host_detail {
// Not in the host: the entities one entity owns (a polyline's vertices, a
// block reference's attributes). Before the owner joins a database it holds
// them itself; when it joins, they join with it and are kept by id.
class OwnedEntities {
public:
    OwnedEntities() = default;
    OwnedEntities(const OwnedEntities&) = delete;
    OwnedEntities& operator=(const OwnedEntities&) = delete;
    ~OwnedEntities();  // deletes the entities still held

    bool holdsAny() const { return !m_held.empty(); }
    const std::vector<AcDbObjectId>& ids() const { return m_ids; }
    const std::vector<AcDbEntity*>& held() const { return m_held; }
    // The ids of another list (whose entities must all be in a database).
    void copyIdsFrom(const OwnedEntities& other) { m_ids = other.m_ids; }
    void clearIds() { m_ids.clear(); }

    // Holds an entity before the owner joins a database.
    void hold(AcDbEntity* entity);
    // Takes the entity for owner (open for write): into the owner's
    // database, owned by it and open for write, or held until the owner
    // joins one. withOwnersLayer puts it on the owner's layer.
    Acad::ErrorStatus append(AcDbObjectId& id, AcDbEntity* entity, AcDbEntity& owner, bool withOwnersLayer);
    // The owner has joined its database: the held entities join it, closed.
    void ownerAppended(AcDbEntity& owner, bool withOwnersLayer);
    // A new iterator over them all (the caller deletes it).
    AcDbObjectIterator* iterator() const;
    // Those not erased, in order.
    std::vector<AcDbEntity*> live() const;
    // Whether id is one of the owner's entities in the database.
    static bool ownedBy(AcDbObjectId id, const AcDbEntity& owner);

private:
    std::vector<AcDbObjectId> m_ids;  // in a database
    std::vector<AcDbEntity*> m_held;  // before
};
}  // namespace host_detail

class AcDb2dPolyline : public AcDbCurve {
public:
    ACRX_DECLARE_MEMBERS(AcDb2dPolyline)
    AcDb2dPolyline() = default;
    AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation = 0.0,
                   bool closed = false, double defStartWidth = 0.0, double defEndWidth = 0.0,
                   const AcGeDoubleArray* bulges = nullptr);
    ~AcDb2dPolyline() override;
    AcDb2dPolyline(const AcDb2dPolyline&) = delete;
    AcDb2dPolyline& operator=(const AcDb2dPolyline&) = delete;

    // A snapshot for undo: the polyline's own data and the ids of its
    // vertices (each vertex is an object of its own, with snapshots of its
    // own). Null while the polyline holds vertices that are in no database.
    AcRxObject* clone() const override;
    // Takes over such a snapshot's data (eInvalidInput for a polyline that
    // holds vertices in no database).
    Acad::ErrorStatus copyFrom(const AcRxObject* other) override;

    AcDb::Poly2dType polyType() const { return m_type; }
    Acad::ErrorStatus setPolyType(AcDb::Poly2dType type);
    bool isClosed() const override { return m_closed; }
    Acad::ErrorStatus makeClosed();
    Acad::ErrorStatus makeOpen();
    double elevation() const { return m_elevation; }
    Acad::ErrorStatus setElevation(double elevation);
    AcGeVector3d normal() const { return AcGeVector3d::kZAxis; }

    // Takes the vertex. In a database the vertex joins it and stays open for
    // write (close it); otherwise the polyline holds it until it joins one.
    Acad::ErrorStatus appendVertex(AcDb2dVertex* vertex);
    Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex);
    // A new iterator over the vertices, at the first one that is not erased;
    // the caller deletes it.
    AcDbObjectIterator* vertexIterator() const;
    // Opens one of this polyline's vertices.
    Acad::ErrorStatus openVertex(AcDb2dVertex*& vertex, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false) const;
    // The vertex in world coordinates: its x and y at the polyline's elevation.
    AcGePoint3d vertexPosition(const AcDb2dVertex& vertex) const;

    Acad::ErrorStatus getStartPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getEndPoint(AcGePoint3d& pt) const override;
    Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPnt, AcGePoint3d& pointOnCurve,
                                        bool extend = false) const override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    // Moves the polyline and its vertices (which must not be open) by a
    // similarity of the XY plane; others: eCannotScaleNonUniformly.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

protected:
    void subAppended() override;
    Acad::ErrorStatus subErase(bool erasing) override;

private:
    // The vertices that are not erased, in order.
    std::vector<const AcDb2dVertex*> liveVertices() const;
    // Everything but identity and the vertices held before joining a database.
    void takeOwnData(const AcDb2dPolyline& src);

    AcDb::Poly2dType m_type = AcDb::k2dSimplePoly;
    bool m_closed = false;
    double m_elevation = 0.0;
    host_detail::OwnedEntities m_vertices;
};

// The other entities of the host's dbents.h.
#include "dbentsblock.h"
#include "dbents3d.h"
