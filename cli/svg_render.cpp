// SVG rendering of a drawing's model space.
#include "svg_render.h"

#include "drawing_query.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <dbents.h>
#include <dbpl.h>
#include <dbsymtb.h>
#include <widetext.h>

namespace drovik::cli {
namespace {

constexpr double kPi = 3.141592653589793;

// One entity, opened for read for as long as the renderer needs it.
struct EntityCloser {
    void operator()(AcDbEntity* p) const {
        if (p) p->close();
    }
};
using OpenEntity = std::unique_ptr<AcDbEntity, EntityCloser>;

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", std::fabs(v) < 1e-12 ? 0.0 : v);
    return buf;
}

std::string EscapeXml(const std::wstring& text) {
    std::string out;
    for (char c : host::WideToUtf8(text)) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// Maps drawing coordinates (y up) to page coordinates (y down).
class PageMapping {
public:
    PageMapping(const AcDbExtents& ext, const SvgOptions& options) {
        const double width = std::max(ext.maxPoint().x - ext.minPoint().x, 1e-9);
        const double height = std::max(ext.maxPoint().y - ext.minPoint().y, 1e-9);
        const double margin = std::max(width, height) * options.marginFraction;
        m_minX = ext.minPoint().x - margin;
        m_maxY = ext.maxPoint().y + margin;
        m_scale = options.pageWidthPx / (width + 2 * margin);
        m_pageWidth = options.pageWidthPx;
        m_pageHeight = (height + 2 * margin) * m_scale;
    }
    double X(double x) const { return (x - m_minX) * m_scale; }
    double Y(double y) const { return (m_maxY - y) * m_scale; }
    double Len(double d) const { return d * m_scale; }
    std::string Pt(const AcGePoint3d& p) const { return Number(X(p.x)) + "," + Number(Y(p.y)); }
    double pageWidth() const { return m_pageWidth; }
    double pageHeight() const { return m_pageHeight; }

private:
    double m_minX = 0, m_maxY = 0, m_scale = 1, m_pageWidth = 0, m_pageHeight = 0;
};

int LayerColor(AcDbObjectId layerId) {
    AcDbLayerTableRecord* layer = nullptr;
    if (acdbOpenObject(layer, layerId, AcDb::kForRead) != Acad::eOk) return 7;
    const int index = layer->color().colorIndex();
    layer->close();
    return index;
}

std::string StrokeColor(const AcDbEntity& ent) {
    int index = ent.colorIndex();
    if (index == 256) index = LayerColor(ent.layerId());
    return AciToRgb(index);
}

// The SVG arc command from the current point to `to` along a bulge.
std::string BulgeArc(const PageMapping& page, const AcGePoint3d& from, const AcGePoint3d& to, double bulge) {
    const double chord = from.distanceTo(to);
    const double sweep = 4.0 * std::atan(std::fabs(bulge));
    const double radius = chord / (2.0 * std::sin(sweep / 2.0));
    // The page flips y, so a counter-clockwise arc of the drawing has SVG sweep flag 0.
    return " A " + Number(page.Len(radius)) + " " + Number(page.Len(radius)) + " 0 " + (sweep > kPi ? "1" : "0") +
           " " + (bulge > 0 ? "0" : "1") + " " + page.Pt(to);
}

struct PathVertex {
    AcGePoint3d pt;
    double bulge;
};

std::string PolylinePath(const PageMapping& page, const std::vector<PathVertex>& vertices, bool closed) {
    if (vertices.empty()) return {};
    std::string d = "M " + page.Pt(vertices[0].pt);
    const size_t segments = closed ? vertices.size() : vertices.size() - 1;
    for (size_t i = 0; i < segments; ++i) {
        const PathVertex& a = vertices[i];
        const PathVertex& b = vertices[(i + 1) % vertices.size()];
        if (a.bulge == 0.0 || a.pt.distanceTo(b.pt) == 0.0)
            d += " L " + page.Pt(b.pt);
        else
            d += BulgeArc(page, a.pt, b.pt, a.bulge);
    }
    if (closed) d += " Z";
    return d;
}

class Renderer {
public:
    Renderer(const PageMapping& page, double strokePx) : m_page(page), m_stroke(strokePx) {}

    void Draw(const AcDbEntity& ent) {
        if (ent.visibility() == AcDb::kInvisible) return;
        const std::string color = StrokeColor(ent);
        if (auto* line = AcDbLine::cast(&ent)) {
            Path("M " + m_page.Pt(line->startPoint()) + " L " + m_page.Pt(line->endPoint()), color);
        } else if (auto* arc = AcDbArc::cast(&ent)) {
            DrawArc(*arc, color);
        } else if (auto* circle = AcDbCircle::cast(&ent)) {
            m_out += "<circle cx=\"" + Number(m_page.X(circle->center().x)) + "\" cy=\"" +
                     Number(m_page.Y(circle->center().y)) + "\" r=\"" + Number(m_page.Len(circle->radius())) +
                     "\" fill=\"none\" stroke=\"" + color + "\" stroke-width=\"" + Number(m_stroke) + "\"/>\n";
        } else if (auto* ellipse = AcDbEllipse::cast(&ent)) {
            DrawEllipse(*ellipse, color);
        } else if (auto* pline = AcDbPolyline::cast(&ent)) {
            DrawPolyline(*pline, color);
        } else if (auto* pline2d = AcDb2dPolyline::cast(&ent)) {
            Draw2dPolyline(*pline2d, color);
        } else if (auto* text = AcDbText::cast(&ent)) {
            DrawText(*text, color);
        } else {
            DrawOther(ent);
        }
    }

    const std::string& svg() const { return m_out; }

private:
    void Path(const std::string& d, const std::string& color, double widthPx = -1) {
        m_out += "<path d=\"" + d + "\" fill=\"none\" stroke=\"" + color + "\" stroke-width=\"" +
                 Number(widthPx > 0 ? widthPx : m_stroke) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
    }

    void DrawArc(const AcDbArc& arc, const std::string& color) {
        AcGePoint3d start, end;
        arc.getStartPoint(start);
        arc.getEndPoint(end);
        double sweep = arc.endAngle() - arc.startAngle();
        if (sweep <= 0) sweep += 2 * kPi;
        const std::string r = Number(m_page.Len(arc.radius()));
        Path("M " + m_page.Pt(start) + " A " + r + " " + r + " 0 " + (sweep > kPi ? "1" : "0") + " 0 " +
                 m_page.Pt(end),
             color);
    }

    void DrawEllipse(const AcDbEllipse& ellipse, const std::string& color) {
        // Sampled: SVG arcs cannot carry an ellipse's parameter range simply.
        const AcGeVector3d major = ellipse.majorAxis();
        const AcGeVector3d minor = ellipse.minorAxis();
        double span = ellipse.endAngle() - ellipse.startAngle();
        if (span <= 0) span += 2 * kPi;
        const int steps = std::max(8, static_cast<int>(span / (2 * kPi) * 96));
        std::string d;
        for (int i = 0; i <= steps; ++i) {
            const double t = ellipse.startAngle() + span * i / steps;
            const AcGePoint3d p = ellipse.center() + major * std::cos(t) + minor * std::sin(t);
            d += (i == 0 ? "M " : " L ") + m_page.Pt(p);
        }
        Path(d, color);
    }

    void DrawPolyline(const AcDbPolyline& pline, const std::string& color) {
        std::vector<PathVertex> vertices;
        double widest = 0.0;
        for (unsigned i = 0; i < pline.numVerts(); ++i) {
            PathVertex v{};
            double startWidth = 0, endWidth = 0;
            pline.getPointAt(i, v.pt);
            pline.getBulgeAt(i, v.bulge);
            pline.getWidthsAt(i, startWidth, endWidth);
            widest = std::max({widest, startWidth, endWidth});
            vertices.push_back(v);
        }
        Path(PolylinePath(m_page, vertices, pline.isClosed()), color, std::max(m_stroke, m_page.Len(widest)));
    }

    void Draw2dPolyline(const AcDb2dPolyline& pline, const std::string& color) {
        std::vector<PathVertex> vertices;
        std::unique_ptr<AcDbObjectIterator> it(pline.vertexIterator());
        for (; it && !it->done(); it->step()) {
            AcDb2dVertex* vertex = nullptr;
            if (pline.openVertex(vertex, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
            vertices.push_back({pline.vertexPosition(*vertex), vertex->bulge()});
            vertex->close();
        }
        Path(PolylinePath(m_page, vertices, pline.isClosed()), color);
    }

    void DrawText(const AcDbText& text, const std::string& color) {
        const bool aligned = !text.isDefaultAlignment();
        const AcGePoint3d at = aligned ? text.alignmentPoint() : text.position();
        const char* anchor = "start";
        switch (text.horizontalMode()) {
            case AcDb::kTextCenter:
            case AcDb::kTextMid:
            case AcDb::kTextAlign:
            case AcDb::kTextFit: anchor = "middle"; break;
            case AcDb::kTextRight: anchor = "end"; break;
            default: break;
        }
        const char* baseline = "alphabetic";
        if (text.horizontalMode() == AcDb::kTextMid) baseline = "central";
        switch (text.verticalMode()) {
            case AcDb::kTextBottom: baseline = "text-after-edge"; break;
            case AcDb::kTextVertMid: baseline = "central"; break;
            case AcDb::kTextTop: baseline = "hanging"; break;
            default: break;
        }
        // Text height is the height of capitals, about 0.7 of the font size.
        const double fontPx = m_page.Len(text.height()) / 0.7;
        const double degrees = -text.rotation() * 180.0 / kPi;
        m_out += "<text transform=\"translate(" + Number(m_page.X(at.x)) + " " + Number(m_page.Y(at.y)) +
                 ") rotate(" + Number(degrees) + ") scale(" + Number(text.widthFactor()) +
                 " 1)\" font-family=\"'Noto Sans CJK SC', 'WenQuanYi Micro Hei', SimSun, sans-serif\" font-size=\"" + Number(fontPx) + "\" text-anchor=\"" + anchor +
                 "\" dominant-baseline=\"" + baseline + "\" fill=\"" + color + "\">" +
                 EscapeXml(text.textString().str()) + "</text>\n";
    }

    // Entities without a drawing of their own are outlined by their extents
    // when they have any, so nothing drawn vanishes without a trace.
    void DrawOther(const AcDbEntity& ent) {
        AcDbExtents ext;
        if (ent.getGeomExtents(ext) != Acad::eOk || ext.isEmpty()) return;
        const AcGePoint3d a = ext.minPoint(), b = ext.maxPoint();
        m_out += "<rect x=\"" + Number(m_page.X(a.x)) + "\" y=\"" + Number(m_page.Y(b.y)) + "\" width=\"" +
                 Number(m_page.Len(b.x - a.x)) + "\" height=\"" + Number(m_page.Len(b.y - a.y)) +
                 "\" fill=\"none\" stroke=\"#999999\" stroke-dasharray=\"4 2\"/>\n";
    }

    const PageMapping& m_page;
    double m_stroke;
    std::string m_out;
};

OpenEntity OpenForRead(AcDbObjectId id) {
    AcDbEntity* ent = nullptr;
    if (acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != Acad::eOk) return nullptr;
    return OpenEntity(ent);
}

}  // namespace

std::string AciToRgb(int index) {
    static const char* const kBase[] = {"#000000", "#ff0000", "#ffff00", "#00ff00", "#00ffff",
                                        "#0000ff", "#ff00ff", "#000000", "#808080", "#c0c0c0"};
    if (index >= 1 && index <= 9) return kBase[index];
    char buf[16];
    if (index >= 250 && index <= 255) {
        const int grey = std::min(255, 51 + (index - 250) * 41);
        std::snprintf(buf, sizeof buf, "#%02x%02x%02x", grey, grey, grey);
        return buf;
    }
    if (index < 10 || index > 249) return "#000000";
    // The palette's hue wheel: 24 hues of 15 degrees, five shades each, odd
    // indexes half-saturated.
    const double hue = ((index - 10) / 10) * 15.0;
    const int shade = (index % 10) / 2;
    const double value = (1.0 - 0.175 * shade);
    const double saturation = (index % 2) ? 0.5 : 1.0;
    const double c = value * saturation;
    const double h = hue / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    if (h < 1) { r = c; g = x; }
    else if (h < 2) { r = x; g = c; }
    else if (h < 3) { g = c; b = x; }
    else if (h < 4) { g = x; b = c; }
    else if (h < 5) { r = x; b = c; }
    else { r = c; b = x; }
    const double m = value - c;
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>((r + m) * 255 + 0.5),
                  static_cast<int>((g + m) * 255 + 0.5), static_cast<int>((b + m) * 255 + 0.5));
    return buf;
}

std::string RenderSvg(AcDbDatabase* pDb, const SvgOptions& options) {
    const std::vector<AcDbObjectId> ids = pDb ? ModelSpaceEntities(pDb) : std::vector<AcDbObjectId>();
    AcDbExtents all;
    for (const AcDbObjectId& id : ids) {
        OpenEntity ent = OpenForRead(id);
        AcDbExtents ext;
        if (ent && ent->visibility() == AcDb::kVisible && ent->getGeomExtents(ext) == Acad::eOk && !ext.isEmpty())
            all.addExt(ext);
    }
    if (all.isEmpty()) all = AcDbExtents(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 100, 0));
    const PageMapping page(all, options);
    Renderer renderer(page, std::max(1.0, options.pageWidthPx / 1600.0));
    for (const AcDbObjectId& id : ids)
        if (OpenEntity ent = OpenForRead(id)) renderer.Draw(*ent);

    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           Number(page.pageWidth()) + "\" height=\"" + Number(page.pageHeight()) + "\" viewBox=\"0 0 " +
           Number(page.pageWidth()) + " " + Number(page.pageHeight()) + "\">\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n" +
           renderer.svg() + "</svg>\n";
}

}  // namespace drovik::cli
