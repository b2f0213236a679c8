// The page of an SVG picture (see render_canvas.h).
#include "render_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <widetext.h>

namespace drovik::cli {
namespace {

constexpr double kPi = 3.141592653589793;

std::string Pt(const PagePoint& p) { return SvgNumber(p.x) + "," + SvgNumber(p.y); }

}  // namespace

std::string SvgNumber(double v) {
    if (!std::isfinite(v)) return "0";
    char buf[48];
    // Thousandths of a pixel, whatever the size of the page.
    if (std::fabs(v) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.3f", v);
        std::string text = buf;
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
        return text == "-0" ? "0" : text;
    }
    std::snprintf(buf, sizeof buf, "%.6g", v);
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
            default:
                // XML 1.0 has no place for other control characters.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t') out += ' ';
                else out += c;
        }
    }
    return out;
}

PageMapping::PageMapping(const AcDbExtents& ext, double pageWidthPx, double marginFraction) {
    const double width = std::max(ext.maxPoint().x - ext.minPoint().x, 1e-9);
    const double height = std::max(ext.maxPoint().y - ext.minPoint().y, 1e-9);
    const double margin = std::max(width, height) * marginFraction;
    m_minX = ext.minPoint().x - margin;
    m_maxY = ext.maxPoint().y + margin;
    m_scale = pageWidthPx / (width + 2 * margin);
    m_pageWidth = pageWidthPx;
    m_pageHeight = (height + 2 * margin) * m_scale;
}

void PagePath::MoveTo(const PagePoint& p) {
    m_d += (m_d.empty() ? "M " : " M ") + Pt(p);
    m_started = true;
    m_last = p;
}

void PagePath::LineTo(const PagePoint& p) {
    if (!m_started) return MoveTo(p);
    if (std::fabs(p.x - m_last.x) < 1e-9 && std::fabs(p.y - m_last.y) < 1e-9) return;
    m_d += " L " + Pt(p);
    m_last = p;
}

void PagePath::CurveTo(const PagePoint& c1, const PagePoint& c2, const PagePoint& p) {
    m_d += " C " + Pt(c1) + " " + Pt(c2) + " " + Pt(p);
    m_last = p;
}

void PagePath::Append(const PagePath& other) {
    if (other.m_d.empty()) return;
    m_d += (m_d.empty() ? "" : " ") + other.m_d;
    m_started = true;
}

void PagePath::Close() {
    if (m_started) m_d += " Z";
}

Canvas::Canvas(const PageMapping& page, double thinPx) : m_page(page), m_thin(thinPx) {
    m_stack.push_back(AcGeMatrix3d::kIdentity);
}

void Canvas::Push(const AcGeMatrix3d& toParent) { m_stack.push_back(m_stack.back() * toParent); }

void Canvas::Pop() {
    if (m_stack.size() > 1) m_stack.pop_back();
}

bool Canvas::conformal() const {
    const AcGeMatrix3d& m = transform();
    const AcGeVector3d x = m * AcGeVector3d::kXAxis, y = m * AcGeVector3d::kYAxis;
    const double lx = std::hypot(x.x, x.y), ly = std::hypot(y.x, y.y);
    return std::fabs(lx - ly) <= 1e-9 * std::max(lx, ly) && std::fabs(x.x * y.x + x.y * y.y) <= 1e-9 * lx * ly;
}

PagePoint Canvas::Map(const AcGePoint3d& p) const {
    const AcGePoint3d w = transform() * p;
    return {m_page.X(w.x), m_page.Y(w.y)};
}

PagePoint Canvas::MapVector(const AcGeVector3d& v) const {
    const AcGeVector3d w = transform() * v;
    return {w.x * m_page.scale(), -w.y * m_page.scale()};
}

void Canvas::AddLine(PagePath& path, const AcGePoint3d& p) const { path.LineTo(Map(p)); }

void Canvas::AddArc(PagePath& path, const AcGePoint3d& center, const AcGeVector3d& u, const AcGeVector3d& v,
                    double t0, double t1) const {
    const PagePoint c = Map(center), pu = MapVector(u), pv = MapVector(v);
    auto at = [&](double t) { return PagePoint{c.x + pu.x * std::cos(t) + pv.x * std::sin(t),
                                               c.y + pu.y * std::cos(t) + pv.y * std::sin(t)}; };
    auto tangent = [&](double t) { return PagePoint{-pu.x * std::sin(t) + pv.x * std::cos(t),
                                                    -pu.y * std::sin(t) + pv.y * std::cos(t)}; };
    path.LineTo(at(t0));
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(t1 - t0) / (kPi / 2) - 1e-9)));
    const double h = (t1 - t0) / pieces;
    const double k = 4.0 / 3.0 * std::tan(h / 4.0);
    for (int i = 0; i < pieces; ++i) {
        const double a = t0 + h * i, b = a + h;
        const PagePoint p0 = at(a), p3 = at(b), d0 = tangent(a), d3 = tangent(b);
        path.CurveTo({p0.x + k * d0.x, p0.y + k * d0.y}, {p3.x - k * d3.x, p3.y - k * d3.y}, p3);
    }
}

void Canvas::AddBulge(PagePath& path, const AcGePoint3d& a, const AcGePoint3d& b, double bulge) const {
    const double chord = a.distanceTo(b);
    if (bulge == 0.0 || !(chord > 0.0) || !std::isfinite(bulge)) return AddLine(path, b);
    // The centre lies chord (1 - b^2) / (4 b) left of the chord's middle.
    const double included = 4.0 * std::atan(bulge);
    const double radius = chord * (1.0 + bulge * bulge) / (4.0 * std::fabs(bulge));
    const AcGeVector3d along = (b - a) / chord;
    const AcGeVector3d left(-along.y, along.x, 0.0);
    const AcGePoint3d center = a + (b - a) * 0.5 + left * (chord * (1.0 - bulge * bulge) / (4.0 * bulge));
    const double t0 = std::atan2(a.y - center.y, a.x - center.x);
    AddArc(path, center, AcGeVector3d(radius, 0, 0), AcGeVector3d(0, radius, 0), t0, t0 + included);
}

void Canvas::Stroke(const PagePath& path, const std::string& color, double widthPx) {
    if (path.empty()) return;
    m_out += "<path d=\"" + path.d() + "\" fill=\"none\" stroke=\"" + color + "\" stroke-width=\"" +
             SvgNumber(std::max(widthPx, m_thin)) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
}

void Canvas::Fill(const PagePath& path, const std::string& color, bool evenOdd) {
    if (path.empty()) return;
    m_out += "<path d=\"" + path.d() + "\" fill=\"" + color + "\"" + (evenOdd ? " fill-rule=\"evenodd\"" : "") +
             " stroke=\"" + color + "\" stroke-width=\"" + SvgNumber(m_thin / 2) + "\"/>\n";
}

void Canvas::Text(const TextPlacement& place, const std::wstring& text, const std::string& color) {
    if (text.empty() || !(place.height > 0)) return;
    const PagePoint at = Map(place.at);
    const PagePoint xv = MapVector(place.xdir * place.widthFactor);
    const PagePoint up = MapVector(place.ydir);
    const double unit = std::hypot(up.x, up.y);  // page pixels per drawing unit, upwards
    if (!(unit > 0)) return;
    // Local coordinates: x along the baseline, y down the page; the text's
    // capitals are about 0.7 of its font size.
    const double fontPx = place.height * unit / 0.7;
    m_out += "<text transform=\"matrix(" + SvgNumber(xv.x / unit) + " " + SvgNumber(xv.y / unit) + " " +
             SvgNumber(-up.x / unit) + " " + SvgNumber(-up.y / unit) + " " + SvgNumber(at.x) + " " +
             SvgNumber(at.y) + ")\" font-family=\"'Noto Sans CJK SC', 'WenQuanYi Micro Hei', SimSun, sans-serif\"" +
             " font-size=\"" + SvgNumber(fontPx) + "\" text-anchor=\"" + place.anchor + "\" dominant-baseline=\"" +
             place.baseline + "\" fill=\"" + color + "\">" + EscapeXml(text) + "</text>\n";
}

}  // namespace drovik::cli
