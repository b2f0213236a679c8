#pragma once
// Headless host: dimensions.
//
// A dimension measures points and draws itself as a block: an anonymous
// block "*D<n>" of lines, arrowheads (solids) and its text (multi-line
// text), in world coordinates, sized by its dimension style (the
// database's current one when it names none). recomputeDimensionBlock
// makes or remakes that block; a dimension changed since (or without one)
// gets it when the drawing is saved. The text is the measurement with the
// style's decimals ("R" before a radius, "%%c" before a diameter) unless
// dimensionText overrides it; "<>" in the override stands for the
// measurement, a single space hides the text.
#include "dbents.h"
#include "dbmtext.h"

class AcDbDimension : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbDimension)

    // The text override as a heap copy (acutDelString); empty: the measurement.
    ACHAR* dimensionText() const;
    Acad::ErrorStatus setDimensionText(const ACHAR* text);
    AcDbObjectId dimensionStyle() const { return m_style; }
    // A dimension style record (eInvalidInput otherwise).
    Acad::ErrorStatus setDimensionStyle(AcDbObjectId style);
    AcDbObjectId dimBlockId() const { return m_block; }
    Acad::ErrorStatus setDimBlockId(const AcDbObjectId& block);
    AcGePoint3d dimBlockPosition() const { return m_blockPosition; }
    Acad::ErrorStatus setDimBlockPosition(const AcGePoint3d& pt);
    // Where the text is: set by the user, or worked out by the dimension.
    AcGePoint3d textPosition() const;
    Acad::ErrorStatus setTextPosition(const AcGePoint3d& pt);
    bool isUsingDefaultTextPosition() const { return !m_userTextPosition; }
    Acad::ErrorStatus useDefaultTextPosition();
    Acad::ErrorStatus useSetTextPosition();
    double textRotation() const { return m_textRotation; }
    Acad::ErrorStatus setTextRotation(double angle);
    double horizontalRotation() const { return m_horizontalRotation; }
    Acad::ErrorStatus setHorizontalRotation(double angle);
    AcDbMText::AttachmentPoint textAttachment() const { return m_attachment; }
    Acad::ErrorStatus setTextAttachment(AcDbMText::AttachmentPoint attachment);
    AcDb::LineSpacingStyle textLineSpacingStyle() const { return m_spacingStyle; }
    Acad::ErrorStatus setTextLineSpacingStyle(AcDb::LineSpacingStyle style);
    double textLineSpacingFactor() const { return m_spacingFactor; }
    Acad::ErrorStatus setTextLineSpacingFactor(double factor);
    double elevation() const { return m_elevation; }
    Acad::ErrorStatus setElevation(double elevation);
    AcGeVector3d normal() const { return m_normal; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);

    // The measured value: a distance, radius or diameter.
    virtual Acad::ErrorStatus measurement(double& value);
    // Makes the block (or remakes it, unless forceUpdate is false and it is
    // current). Needs the dimension open for write in a database and the
    // block table free to open for write.
    Acad::ErrorStatus recomputeDimensionBlock(bool forceUpdate = true);
    // Not in the host: the text as drawn.
    CString formattedText() const;
    // Not in the host: whether the block is missing or older than the
    // dimension's last change.
    bool needsDimensionBlock() const { return m_block.isNull() || m_blockStale || m_block.isErased(); }

    // The block's box when it is current, else that of the parts it would hold.
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    // Copies of the block's entities; without a current block, the
    // entities such a block would hold.
    Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;
    // Moves the points; the block is made again on save.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

    // The parts of the drawing, in world coordinates.
    struct Parts {
        std::vector<std::pair<AcGePoint3d, AcGePoint3d>> lines;
        std::vector<std::vector<AcGePoint3d>> arrows;  // three corners each
        AcGePoint3d textPosition;
        double textHeight = 0.0;
        double textRotation = 0.0;
    };

protected:
    AcDbDimension() = default;
    AcDbDimension(const ACHAR* dimText, AcDbObjectId dimStyle);
    // Every change makes the block out of date.
    bool change();
    // The subclass's lines, arrows and default text place.
    virtual void buildParts(Parts& parts) const = 0;
    // The style's sizes (dimscale applied) for the parts.
    struct Sizes {
        double arrow, text, extend, offset, gap;
        int decimals;
    };
    Sizes sizes() const;
    // The text before the number ("R", "%%c").
    virtual const wchar_t* prefix() const { return L""; }
    // Moves the dimension's own points.
    virtual void transformPoints(const AcGeMatrix3d& xform) = 0;
    virtual double measuredValue() const = 0;
    void subAppended() override;

private:
    Parts parts() const;

    CString m_text;
    AcDbObjectId m_style;
    AcDbObjectId m_block;
    AcGePoint3d m_blockPosition;
    AcGePoint3d m_textPosition;
    bool m_userTextPosition = false;
    double m_textRotation = 0.0;
    double m_horizontalRotation = 0.0;
    AcDbMText::AttachmentPoint m_attachment = AcDbMText::kMiddleCenter;
    AcDb::LineSpacingStyle m_spacingStyle = AcDb::kAtLeast;
    double m_spacingFactor = 1.0;
    double m_elevation = 0.0;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    bool m_blockStale = true;
};

// Measures the distance between two points, along their own direction.
class AcDbAlignedDimension : public AcDbDimension {
public:
    ACDB_DECLARE_COPYABLE(AcDbAlignedDimension)
    AcDbAlignedDimension() = default;
    AcDbAlignedDimension(const AcGePoint3d& xLine1Point, const AcGePoint3d& xLine2Point,
                         const AcGePoint3d& dimLinePoint, const ACHAR* dimText = nullptr,
                         AcDbObjectId dimStyle = AcDbObjectId::kNull);
    AcGePoint3d xLine1Point() const { return m_x1; }
    AcGePoint3d xLine2Point() const { return m_x2; }
    AcGePoint3d dimLinePoint() const { return m_dimLine; }
    Acad::ErrorStatus setXLine1Point(const AcGePoint3d& pt);
    Acad::ErrorStatus setXLine2Point(const AcGePoint3d& pt);
    Acad::ErrorStatus setDimLinePoint(const AcGePoint3d& pt);
    double oblique() const { return m_oblique; }
    Acad::ErrorStatus setOblique(double angle);

protected:
    double measuredValue() const override;
    void buildParts(Parts& parts) const override;
    void transformPoints(const AcGeMatrix3d& xform) override;

private:
    AcGePoint3d m_x1, m_x2, m_dimLine;
    double m_oblique = 0.0;
};

// Measures the distance between two points along a direction (rotation 0:
// horizontal, pi/2: vertical).
class AcDbRotatedDimension : public AcDbDimension {
public:
    ACDB_DECLARE_COPYABLE(AcDbRotatedDimension)
    AcDbRotatedDimension() = default;
    AcDbRotatedDimension(double rotation, const AcGePoint3d& xLine1Point, const AcGePoint3d& xLine2Point,
                         const AcGePoint3d& dimLinePoint, const ACHAR* dimText = nullptr,
                         AcDbObjectId dimStyle = AcDbObjectId::kNull);
    AcGePoint3d xLine1Point() const { return m_x1; }
    AcGePoint3d xLine2Point() const { return m_x2; }
    AcGePoint3d dimLinePoint() const { return m_dimLine; }
    Acad::ErrorStatus setXLine1Point(const AcGePoint3d& pt);
    Acad::ErrorStatus setXLine2Point(const AcGePoint3d& pt);
    Acad::ErrorStatus setDimLinePoint(const AcGePoint3d& pt);
    double rotation() const { return m_rotation; }
    Acad::ErrorStatus setRotation(double angle);
    double oblique() const { return m_oblique; }
    Acad::ErrorStatus setOblique(double angle);

protected:
    double measuredValue() const override;
    void buildParts(Parts& parts) const override;
    void transformPoints(const AcGeMatrix3d& xform) override;

private:
    AcGePoint3d m_x1, m_x2, m_dimLine;
    double m_rotation = 0.0;
    double m_oblique = 0.0;
};

// Measures a radius: from the centre to a point on the circle.
class AcDbRadialDimension : public AcDbDimension {
public:
    ACDB_DECLARE_COPYABLE(AcDbRadialDimension)
    AcDbRadialDimension() = default;
    AcDbRadialDimension(const AcGePoint3d& center, const AcGePoint3d& chordPoint, double leaderLength,
                        const ACHAR* dimText = nullptr, AcDbObjectId dimStyle = AcDbObjectId::kNull);
    AcGePoint3d center() const { return m_center; }
    AcGePoint3d chordPoint() const { return m_chord; }
    double leaderLength() const { return m_leader; }
    Acad::ErrorStatus setCenter(const AcGePoint3d& pt);
    Acad::ErrorStatus setChordPoint(const AcGePoint3d& pt);
    Acad::ErrorStatus setLeaderLength(double length);

protected:
    double measuredValue() const override;
    void buildParts(Parts& parts) const override;
    void transformPoints(const AcGeMatrix3d& xform) override;
    const wchar_t* prefix() const override { return L"R"; }

private:
    AcGePoint3d m_center, m_chord;
    double m_leader = 0.0;
};

// Measures a diameter: between two opposite points of the circle.
class AcDbDiametricDimension : public AcDbDimension {
public:
    ACDB_DECLARE_COPYABLE(AcDbDiametricDimension)
    AcDbDiametricDimension() = default;
    AcDbDiametricDimension(const AcGePoint3d& chordPoint, const AcGePoint3d& farChordPoint, double leaderLength,
                           const ACHAR* dimText = nullptr, AcDbObjectId dimStyle = AcDbObjectId::kNull);
    AcGePoint3d chordPoint() const { return m_chord; }
    AcGePoint3d farChordPoint() const { return m_far; }
    double leaderLength() const { return m_leader; }
    Acad::ErrorStatus setChordPoint(const AcGePoint3d& pt);
    Acad::ErrorStatus setFarChordPoint(const AcGePoint3d& pt);
    Acad::ErrorStatus setLeaderLength(double length);

protected:
    double measuredValue() const override;
    void buildParts(Parts& parts) const override;
    void transformPoints(const AcGeMatrix3d& xform) override;
    const wchar_t* prefix() const override { return L"%%c"; }

private:
    AcGePoint3d m_chord, m_far;
    double m_leader = 0.0;
};
