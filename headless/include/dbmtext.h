#pragma once
// Headless host: multi-line text.
//
// The contents carry the host's format codes (\P new paragraph, \~ hard
// space, {...} groups, \f...; fonts, \H...; heights, \S...; stacks and so
// on); text() gives them without the codes, paragraphs ended by "\r\n".
// The layout behind actualWidth, actualHeight and the extents is an
// approximation of the host's (no fonts here): a character is 0.6 text
// heights wide, East Asian full-width characters 1.0; lines are 5/3 text
// heights apart times the spacing factor; with a width, lines wrap at
// spaces and after full-width characters.
#include "dbents.h"

namespace AcDb {
enum LineSpacingStyle { kAtLeast = 1, kExactly = 2 };
}  // namespace AcDb

class AcDbMText : public AcDbEntity {
public:
    ACDB_DECLARE_COPYABLE(AcDbMText)
    enum AttachmentPoint {
        kTopLeft = 1, kTopCenter = 2, kTopRight = 3,
        kMiddleLeft = 4, kMiddleCenter = 5, kMiddleRight = 6,
        kBottomLeft = 7, kBottomCenter = 8, kBottomRight = 9
    };
    enum FlowDirection { kLtoR = 1, kRtoL = 2, kTtoB = 3, kBtoT = 4, kByStyle = 5 };

    AcDbMText() = default;

    AcGePoint3d location() const { return m_location; }
    Acad::ErrorStatus setLocation(const AcGePoint3d& pt);
    AcGeVector3d normal() const { return m_normal; }
    // A vector of zero length is refused (eInvalidInput); the direction is
    // brought into the new plane.
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    // The unit X axis of the text (in its plane).
    AcGeVector3d direction() const { return m_direction; }
    Acad::ErrorStatus setDirection(const AcGeVector3d& dir);
    // The angle of the direction in the plane of the normal.
    double rotation() const;
    Acad::ErrorStatus setRotation(double angle);
    // The width lines wrap at (0: no wrapping).
    double width() const { return m_width; }
    Acad::ErrorStatus setWidth(double width);
    // The defined height of the column (0: as high as the text).
    double height() const { return m_height; }
    Acad::ErrorStatus setHeight(double height);
    double textHeight() const { return m_textHeight; }
    // Positive numbers (eInvalidInput otherwise).
    Acad::ErrorStatus setTextHeight(double height);
    AttachmentPoint attachment() const { return m_attachment; }
    Acad::ErrorStatus setAttachment(AttachmentPoint attachment);
    FlowDirection flowDirection() const { return m_flow; }
    Acad::ErrorStatus setFlowDirection(FlowDirection flow);
    AcDbObjectId textStyle() const { return m_style; }
    Acad::ErrorStatus setTextStyle(AcDbObjectId style);
    AcDb::LineSpacingStyle lineSpacingStyle() const { return m_spacingStyle; }
    Acad::ErrorStatus setLineSpacingStyle(AcDb::LineSpacingStyle style);
    double lineSpacingFactor() const { return m_spacingFactor; }
    // 0.25 to 4.0 (eInvalidInput otherwise).
    Acad::ErrorStatus setLineSpacingFactor(double factor);

    // The contents with their format codes, as a heap copy the caller frees
    // with acutDelString.
    ACHAR* contents() const;
    // The contents without format codes (a heap copy, acutDelString).
    ACHAR* text() const;
    // Takes a copy of the text (null: empty); answers the characters taken.
    int setContents(const ACHAR* text);
    // Not in the host: the contents without a copy.
    const ACHAR* contentsConst() const { return m_contents.GetString(); }

    // The laid-out size (see the header comment).
    double actualWidth() const;
    double actualHeight() const;

    bool backgroundFillOn() const { return m_backgroundFill; }
    Acad::ErrorStatus setBackgroundFill(bool enable);
    Acad::ErrorStatus getBackgroundFillColor(AcCmColor& color) const {
        color = m_backgroundColor;
        return Acad::eOk;
    }
    Acad::ErrorStatus setBackgroundFillColor(const AcCmColor& color);
    bool useBackgroundColorOn() const { return m_useBackgroundColor; }
    Acad::ErrorStatus setUseBackgroundColor(bool enable);
    Acad::ErrorStatus getBackgroundScaleFactor(double& scale) const {
        scale = m_backgroundScale;
        return Acad::eOk;
    }
    // 1.0 to 5.0 (eInvalidInput otherwise).
    Acad::ErrorStatus setBackgroundScaleFactor(double scale);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    // The laid-out box placed by the attachment and turned by the rotation.
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;

protected:
    // A text without a style of its database takes the current one.
    void subAppended() override;

private:
    // Widths of the laid-out lines, in text heights.
    std::vector<double> lineWidths() const;

    AcGePoint3d m_location;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
    AcGeVector3d m_direction = AcGeVector3d::kXAxis;
    CString m_contents;
    AcDbObjectId m_style;
    double m_textHeight = 2.5;
    double m_width = 0.0;
    double m_height = 0.0;
    double m_spacingFactor = 1.0;
    double m_backgroundScale = 1.5;
    AttachmentPoint m_attachment = kTopLeft;
    FlowDirection m_flow = kLtoR;
    AcDb::LineSpacingStyle m_spacingStyle = AcDb::kAtLeast;
    AcCmColor m_backgroundColor;
    bool m_backgroundFill = false;
    bool m_useBackgroundColor = false;
};
