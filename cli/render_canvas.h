#pragma once
// The page an SVG picture is drawn on: drawing coordinates (y up) to page
// pixels (y down) through the transform of the block being drawn, and the
// SVG elements written there. Every curve goes through affine maps only, so
// arcs and ellipses stay exact under any block transform: they are written
// as cubic Bezier pieces of at most a quarter turn.
#include <string>
#include <vector>

#include <dbmain.h>
#include <gemat3d.h>

namespace drovik::cli {

// A page coordinate to a thousandth, without trailing zeros ("12.5", "0").
std::string SvgNumber(double v);
// UTF-8 of wide text with the XML specials escaped.
std::string EscapeXml(const std::wstring& text);

// Drawing coordinates to page coordinates: the extents (with a margin)
// fill the page width.
class PageMapping {
public:
    PageMapping(const AcDbExtents& ext, double pageWidthPx, double marginFraction);
    double X(double x) const { return (x - m_minX) * m_scale; }
    double Y(double y) const { return (m_maxY - y) * m_scale; }
    double scale() const { return m_scale; }
    double pageWidth() const { return m_pageWidth; }
    double pageHeight() const { return m_pageHeight; }

private:
    double m_minX = 0, m_maxY = 0, m_scale = 1, m_pageWidth = 0, m_pageHeight = 0;
};

struct PagePoint {
    double x = 0, y = 0;
};

// An SVG path's "d" under construction, in page coordinates.
class PagePath {
public:
    void MoveTo(const PagePoint& p);
    void LineTo(const PagePoint& p);
    // A curve to p through two control points.
    void CurveTo(const PagePoint& c1, const PagePoint& c2, const PagePoint& p);
    void Close();
    // Another path's pieces after this one's.
    void Append(const PagePath& other);
    bool empty() const { return m_d.empty(); }
    bool started() const { return m_started; }
    const std::string& d() const { return m_d; }

private:
    std::string m_d;
    bool m_started = false;
    PagePoint m_last;  // the current point
};

class Canvas {
public:
    Canvas(const PageMapping& page, double thinPx);

    // The transform from the coordinates being drawn to the drawing's
    // (block references nest them); Push multiplies the current one.
    void Push(const AcGeMatrix3d& toParent);
    void Pop();
    const AcGeMatrix3d& transform() const { return m_stack.back(); }
    // Whether the current transform keeps circles circles (a similarity).
    bool conformal() const;

    PagePoint Map(const AcGePoint3d& p) const;
    // A vector's page image (y flipped, scaled).
    PagePoint MapVector(const AcGeVector3d& v) const;

    // Path pieces in the current coordinates. Arc: the elliptic arc
    // center + u cos t + v sin t for t from t0 to t1 (either direction); a
    // circle has u and v perpendicular and as long as the radius. It starts
    // with a move when the path is empty, else with a line to its start.
    void AddLine(PagePath& path, const AcGePoint3d& p) const;
    void AddArc(PagePath& path, const AcGePoint3d& center, const AcGeVector3d& u, const AcGeVector3d& v, double t0,
                double t1) const;
    // The bulged segment from a to b (bulge: tan of a quarter of the
    // included angle, positive counter-clockwise).
    void AddBulge(PagePath& path, const AcGePoint3d& a, const AcGePoint3d& b, double bulge) const;

    void Stroke(const PagePath& path, const std::string& color, double widthPx);
    void Fill(const PagePath& path, const std::string& color, bool evenOdd = true);
    // A text element: its baseline starts at `at` along xdir, its up
    // direction is ydir (both in the current coordinates, one drawing unit
    // long before widthFactor); height is the capital height.
    struct TextPlacement {
        AcGePoint3d at;
        AcGeVector3d xdir = AcGeVector3d::kXAxis, ydir = AcGeVector3d::kYAxis;
        double height = 1.0;
        double widthFactor = 1.0;
        const char* anchor = "start";         // start, middle, end
        const char* baseline = "alphabetic";  // alphabetic, central, hanging, text-after-edge
    };
    void Text(const TextPlacement& place, const std::wstring& text, const std::string& color);
    // Raw SVG (a comment, a group).
    void Raw(const std::string& svg) { m_out += svg; }

    double thin() const { return m_thin; }
    const PageMapping& page() const { return m_page; }
    const std::string& svg() const { return m_out; }

private:
    const PageMapping& m_page;
    double m_thin;
    std::vector<AcGeMatrix3d> m_stack;
    std::string m_out;
};

}  // namespace drovik::cli
