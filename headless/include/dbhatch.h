#pragma once
// Headless host: hatches, areas bounded by loops and filled solid or with a
// pattern of lines.
//
// Loops lie in the hatch's plane (its normal and elevation), in the 2D
// coordinates of that plane: polyline loops (points and bulges, closed) or
// loops of edges (lines, circular arcs, elliptic arcs, splines). The area
// inside is found by the even-odd rule (a loop inside another is an
// island). Patterns: "SOLID" fills; the user-defined pattern is lines at
// the pattern angle and spacing (crossed when doubled); the predefined
// ANSI31, ANSI37, NET, LINE and DOTS patterns come with their lines (in
// millimetres, as the host's metric pattern file has them); other names
// keep whatever definition lines they are given.
#include "dbents.h"

class AcDbHatch : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbHatch)
    enum HatchObjectType { kHatchObject = 0, kGradientObject = 1 };
    enum HatchLoopType {
        kDefault = 0, kExternal = 1, kPolyline = 2, kDerived = 4, kTextbox = 8, kOutermost = 0x10,
        kNotClosed = 0x20, kSelfIntersecting = 0x40, kTextIsland = 0x80, kDuplicate = 0x100
    };
    enum HatchEdgeType { kLine = 1, kCirArc = 2, kEllArc = 3, kSpline = 4 };
    enum HatchPatternType { kUserDefined = 0, kPreDefined = 1, kCustomDefined = 2 };
    enum HatchStyle { kNormal = 0, kOuter = 1, kIgnore = 2 };

    // Not in the host (which passes AcGe 2D curves): one edge of a loop.
    // Arcs: centre, radius, angles, direction. Elliptic arcs: centre, major
    // axis (as long as the half diameter), minor/major ratio, parameter
    // angles, direction. Splines: the NURBS data and fit data in 2D.
    struct Edge {
        HatchEdgeType type = kLine;
        AcGePoint2d start, end;
        AcGePoint2d center;
        double radius = 0.0;
        double startAngle = 0.0, endAngle = 0.0;
        bool isCounterClockwise = true;
        AcGeVector2d majorAxis;
        double minorRatio = 1.0;
        int degree = 3;
        bool rational = false, periodic = false;
        AcGeDoubleArray knots;
        AcGePoint2dArray controlPoints;
        AcGeDoubleArray weights;
        AcGePoint2dArray fitPoints;
        AcGeVector2d startTangent, endTangent;
    };
    // Not in the host: one line family of a pattern as the drawing keeps it
    // (angle, base point and offset already scaled and turned).
    struct PatternLine {
        double angle = 0.0;
        double baseX = 0.0, baseY = 0.0;
        double offsetX = 0.0, offsetY = 0.0;
        AcGeDoubleArray dashes;
    };

    AcDbHatch() = default;

    // ---- pattern ----
    HatchPatternType patternType() const { return m_patternType; }
    const ACHAR* patternName() const { return m_patternName.GetString(); }
    // Empty names are refused (eInvalidInput); "SOLID" fills.
    Acad::ErrorStatus setPattern(HatchPatternType patType, const ACHAR* patName);
    bool isSolidFill() const;
    double patternAngle() const { return m_patternAngle; }
    Acad::ErrorStatus setPatternAngle(double angle);
    double patternScale() const { return m_patternScale; }
    // Positive numbers (eInvalidInput).
    Acad::ErrorStatus setPatternScale(double scale);
    double patternSpace() const { return m_patternSpace; }
    Acad::ErrorStatus setPatternSpace(double space);
    bool patternDouble() const { return m_patternDouble; }
    Acad::ErrorStatus setPatternDouble(bool isDouble);
    int numPatternDefinitions() const { return static_cast<int>(m_patternLines.size()); }
    Acad::ErrorStatus getPatternDefinitionAt(int index, double& angle, double& baseX, double& baseY,
                                             double& offsetX, double& offsetY, AcGeDoubleArray& dashes) const;
    // Not in the host: sets the definition lines as stored (a file reader).
    Acad::ErrorStatus setPatternDefinitions(const std::vector<PatternLine>& lines);
    HatchStyle hatchStyle() const { return m_style; }
    Acad::ErrorStatus setHatchStyle(HatchStyle style);
    HatchObjectType hatchObjectType() const { return kHatchObject; }
    bool associative() const { return m_associative; }
    // The flag and the boundary ids are kept; boundaries are not followed
    // when they change.
    Acad::ErrorStatus setAssociative(bool isAssociative);
    double elevation() const { return m_elevation; }
    Acad::ErrorStatus setElevation(double elevation);
    AcGeVector3d normal() const { return m_normal; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);

    // ---- loops ----
    int numLoops() const { return static_cast<int>(m_loops.size()); }
    Adesk::Int32 loopTypeAt(int loopIndex) const;
    // A polyline loop: at least two points, as many bulges (or none: all
    // straight), finite values; eInvalidInput otherwise.
    Acad::ErrorStatus appendLoop(Adesk::Int32 loopType, const AcGePoint2dArray& vertices,
                                 const AcGeDoubleArray& bulges);
    // A loop from curves of the drawing (lines, arcs, circles, ellipses,
    // splines, lightweight and 2D polylines) in the plane; a single closed
    // lightweight polyline gives a polyline loop. The ids are kept for
    // getAssocObjIdsAt. Ids that are not such curves: eInvalidInput.
    Acad::ErrorStatus appendLoop(Adesk::Int32 loopType, const AcDbObjectIdArray& dbObjIds);
    // Not in the host: a loop of edges (at least one; eInvalidInput).
    Acad::ErrorStatus appendLoop(Adesk::Int32 loopType, const std::vector<Edge>& edges);
    Acad::ErrorStatus insertLoopAt(int loopIndex, Adesk::Int32 loopType, const AcGePoint2dArray& vertices,
                                   const AcGeDoubleArray& bulges);
    Acad::ErrorStatus removeLoopAt(int loopIndex);
    // A polyline loop's points and bulges; eInvalidInput for a loop of edges,
    // eInvalidIndex for an index out of range.
    Acad::ErrorStatus getLoopAt(int loopIndex, Adesk::Int32& loopType, AcGePoint2dArray& vertices,
                                AcGeDoubleArray& bulges) const;
    // Not in the host: a loop of edges; eInvalidInput for a polyline loop.
    Acad::ErrorStatus getLoopAt(int loopIndex, Adesk::Int32& loopType, std::vector<Edge>& edges) const;
    Acad::ErrorStatus getAssocObjIdsAt(int loopIndex, AcDbObjectIdArray& dbObjIds) const;
    // Not in the host: sets the ids a loop was made from, as stored (a file
    // reader); the loop keeps its shape. eInvalidIndex out of range.
    Acad::ErrorStatus setAssocObjIdsAt(int loopIndex, const AcDbObjectIdArray& dbObjIds);

    int numSeedPoints() const { return m_seeds.length(); }
    Acad::ErrorStatus getSeedPointAt(unsigned int index, AcGePoint2d& pt) const;
    Acad::ErrorStatus appendSeedPoint(const AcGePoint2d& pt);

    // ---- filling ----
    // Works out the pattern's line segments inside the area (dashes
    // applied). eHatchTooDense above 1,000,000 segments, as the host's
    // default limit; nothing for a solid fill.
    Acad::ErrorStatus evaluateHatch(bool underEstimateNumLines = false);
    int numHatchLines() const { return static_cast<int>(m_hatchLines.size() / 2); }
    Acad::ErrorStatus getHatchLineDataAt(int index, AcGePoint2d& startPt, AcGePoint2d& endPt) const;
    // The area inside the loops (arcs exactly, elliptic arcs and splines
    // through 256 points each).
    Acad::ErrorStatus getArea(double& area) const;

    // Loops, seeds and pattern move with the plane; scaling scales the
    // pattern. Only similarities of the hatch's plane
    // (eCannotScaleNonUniformly otherwise).
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

private:
    struct Loop {
        Adesk::Int32 type = kDefault;
        bool polyline = false;
        AcGePoint2dArray vertices;  // polyline loops
        AcGeDoubleArray bulges;
        std::vector<Edge> edges;  // loops of edges
        AcDbObjectIdArray sources;
    };
    // The loop as a closed chain of points and bulges (arcs exact, other
    // curves through points).
    static void Flatten(const Loop& loop, std::vector<AcGePoint2d>& pts, std::vector<double>& bulges);
    void recomputePattern();
    void turnAndScalePattern(double turn, double factor);

    HatchPatternType m_patternType = kPreDefined;
    CString m_patternName = L"SOLID";
    double m_patternAngle = 0.0;
    double m_patternScale = 1.0;
    double m_patternSpace = 1.0;
    bool m_patternDouble = false;
    HatchStyle m_style = kNormal;
    bool m_associative = false;
    double m_elevation = 0.0;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    std::vector<Loop> m_loops;
    std::vector<PatternLine> m_patternLines;
    AcGePoint2dArray m_seeds;
    std::vector<AcGePoint2d> m_hatchLines;  // start and end of each segment
};
