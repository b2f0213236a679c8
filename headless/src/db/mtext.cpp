// Multi-line text: format codes, an approximate layout, the box.
#include <algorithm>
#include <cmath>
#include <string>

#include "../dbinternal.h"
#include "dbmtext.h"
#include "dbsymtb.h"
#include "geom_internal.h"

using host_detail::ObjectAccess;

ACRX_DEFINE_MEMBERS(AcDbMText, AcDbEntity)

namespace {

constexpr double kCharWidth = 0.6;     // narrow characters, in text heights
constexpr double kWideWidth = 1.0;     // East Asian full-width characters
constexpr double kLineSpacing = 5.0 / 3.0;

// The contents without format codes; paragraphs end with "\r\n".
std::wstring StripFormatCodes(const std::wstring& s) {
    std::wstring out;
    const std::size_t n = s.size();
    std::size_t i = 0;
    const auto skipPast = [&](std::size_t from) {
        const std::size_t end = s.find(L';', from);
        return end == std::wstring::npos ? n : end + 1;
    };
    while (i < n) {
        const wchar_t c = s[i];
        if (c == L'{' || c == L'}') {
            ++i;
            continue;
        }
        if (c != L'\\' || i + 1 >= n) {
            out += c;
            ++i;
            continue;
        }
        const wchar_t d = s[i + 1];
        switch (d) {
        case L'P':
            out += L"\r\n";
            i += 2;
            break;
        case L'~':
            out += L' ';
            i += 2;
            break;
        case L'\\':
        case L'{':
        case L'}':
            out += d;
            i += 2;
            break;
        case L'L': case L'l': case L'O': case L'o': case L'K': case L'k': case L'N': case L'X':
            i += 2;
            break;
        case L'S': {
            // A stack "a/b", "a#b" or "a^b": the two parts with their divider.
            const std::size_t end = skipPast(i + 2);
            std::wstring piece = s.substr(i + 2, end - (i + 2));
            if (!piece.empty() && piece.back() == L';') piece.pop_back();
            std::replace(piece.begin(), piece.end(), L'#', L'/');
            out += piece;
            i = end;
            break;
        }
        case L'f': case L'F': case L'H': case L'W': case L'Q': case L'T': case L'A': case L'C': case L'c':
        case L'p':
            i = skipPast(i + 2);
            break;
        default:
            out += d;
            i += 2;
            break;
        }
    }
    return out;
}

// Code points of wide text, either wchar_t size (UTF-16 pairs joined).
std::vector<char32_t> CodePoints(const std::wstring& text) {
    std::vector<char32_t> cps;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        cps.push_back(c);
    }
    return cps;
}

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// Line widths of one paragraph, wrapped at wrapWidth (0: never), in text heights.
void LayOutParagraph(const std::wstring& paragraph, double wrapWidth, std::vector<double>& widths) {
    double line = 0.0, word = 0.0;
    bool any = false;
    const auto flushWord = [&]() {
        if (wrapWidth > 0.0 && any && line > 0.0 && line + word > wrapWidth) {
            widths.push_back(line);
            line = 0.0;
        }
        line += word;
        word = 0.0;
        any = true;
    };
    for (char32_t c : CodePoints(paragraph)) {
        if (c == U' ') {
            flushWord();
            // A space at the end of a wrapped line takes no room.
            if (wrapWidth <= 0.0 || line + kCharWidth <= wrapWidth) line += kCharWidth;
        } else if (IsWide(c)) {
            flushWord();
            word = kWideWidth;
            flushWord();
        } else {
            word += kCharWidth;
        }
    }
    flushWord();
    widths.push_back(line);
}

}  // namespace

#define HOST_MTEXT_SETTER(NAME, TYPE, MEMBER)                          \
    Acad::ErrorStatus AcDbMText::NAME(TYPE value) {                    \
        if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;      \
        MEMBER = value;                                                \
        return Acad::eOk;                                              \
    }
HOST_MTEXT_SETTER(setBackgroundFill, bool, m_backgroundFill)
HOST_MTEXT_SETTER(setBackgroundFillColor, const AcCmColor&, m_backgroundColor)
HOST_MTEXT_SETTER(setUseBackgroundColor, bool, m_useBackgroundColor)

Acad::ErrorStatus AcDbMText::setLocation(const AcGePoint3d& pt) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::Finite(pt)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_location = pt;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setNormal(const AcGeVector3d& normal) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!host_detail::Finite(normal) || normal.length() == 0.0) return Acad::eInvalidInput;
    assertWriteEnabled();
    const double angle = rotation();
    m_normal = normal.normal();
    AcGeVector3d x, y;
    host_detail::PlaneAxes(m_normal, x, y);
    m_direction = x * std::cos(angle) + y * std::sin(angle);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setDirection(const AcGeVector3d& dir) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const AcGeVector3d inPlane = dir - m_normal * dir.dotProduct(m_normal);
    if (!host_detail::Finite(dir) || inPlane.length() <= 1e-12 * dir.length() || dir.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_direction = inPlane.normal();
    return Acad::eOk;
}

double AcDbMText::rotation() const {
    AcGeVector3d x, y;
    host_detail::PlaneAxes(m_normal, x, y);
    return host_detail::AngleOf(m_direction.dotProduct(x), m_direction.dotProduct(y));
}

Acad::ErrorStatus AcDbMText::setRotation(double angle) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!std::isfinite(angle)) return Acad::eInvalidInput;
    assertWriteEnabled();
    AcGeVector3d x, y;
    host_detail::PlaneAxes(m_normal, x, y);
    m_direction = x * std::cos(angle) + y * std::sin(angle);
    return Acad::eOk;
}

#define HOST_MTEXT_SIZE(NAME, MEMBER, VALID)                           \
    Acad::ErrorStatus AcDbMText::NAME(double value) {                  \
        if (!isWriteEnabled()) return Acad::eNotOpenForWrite;          \
        if (!std::isfinite(value) || !(VALID)) return Acad::eInvalidInput; \
        assertWriteEnabled();                                          \
        MEMBER = value;                                                \
        return Acad::eOk;                                              \
    }
HOST_MTEXT_SIZE(setWidth, m_width, value >= 0.0)
HOST_MTEXT_SIZE(setHeight, m_height, value >= 0.0)
HOST_MTEXT_SIZE(setTextHeight, m_textHeight, value > 0.0)
HOST_MTEXT_SIZE(setLineSpacingFactor, m_spacingFactor, value >= 0.25 && value <= 4.0)
HOST_MTEXT_SIZE(setBackgroundScaleFactor, m_backgroundScale, value >= 1.0 && value <= 5.0)

Acad::ErrorStatus AcDbMText::setAttachment(AttachmentPoint attachment) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (attachment < kTopLeft || attachment > kBottomRight) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_attachment = attachment;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setFlowDirection(FlowDirection flow) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (flow < kLtoR || flow > kByStyle) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_flow = flow;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setLineSpacingStyle(AcDb::LineSpacingStyle style) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (style != AcDb::kAtLeast && style != AcDb::kExactly) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_spacingStyle = style;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setTextStyle(AcDbObjectId style) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const auto* rec = ObjectAccess::peek<AcDbTextStyleTableRecord>(style);
    if (!rec || rec->isErased()) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_style = style;
    return Acad::eOk;
}

ACHAR* AcDbMText::contents() const { return acutNewString(m_contents.GetString()); }

ACHAR* AcDbMText::text() const { return acutNewString(StripFormatCodes(m_contents.GetString()).c_str()); }

int AcDbMText::setContents(const ACHAR* text) {
    if (!assertWriteEnabled()) return 0;
    m_contents = text ? text : L"";
    return m_contents.GetLength();
}

std::vector<double> AcDbMText::lineWidths() const {
    const std::wstring plain = StripFormatCodes(m_contents.GetString());
    const double wrap = m_width > 0.0 && m_textHeight > 0.0 ? m_width / m_textHeight : 0.0;
    std::vector<double> widths;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = plain.find(L"\r\n", start);
        LayOutParagraph(plain.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start), wrap,
                        widths);
        if (end == std::wstring::npos) break;
        start = end + 2;
    }
    return widths;
}

double AcDbMText::actualWidth() const {
    const auto widths = lineWidths();
    return *std::max_element(widths.begin(), widths.end()) * m_textHeight;
}

double AcDbMText::actualHeight() const {
    const auto lines = static_cast<double>(lineWidths().size());
    return m_textHeight * (1.0 + (lines - 1.0) * kLineSpacing * m_spacingFactor);
}

Acad::ErrorStatus AcDbMText::transformBy(const AcGeMatrix3d& xform) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    bool mirrors = false;
    const double scale = host_detail::PlaneScale(xform, mirrors);
    m_location = xform * m_location;
    const AcGeVector3d n = xform * m_normal;
    if (n.length() > 0.0) m_normal = n.normal();
    const AcGeVector3d d = xform * m_direction;
    const AcGeVector3d inPlane = d - m_normal * d.dotProduct(m_normal);
    if (inPlane.length() > 0.0) m_direction = inPlane.normal();
    m_textHeight *= scale;
    m_width *= scale;
    m_height *= scale;
    return Acad::eOk;
}

void AcDbMText::subAppended() {
    AcDbEntity::subAppended();
    if (m_style.isNull() || m_style.databaseSerial() != database()->serial()) m_style = database()->textstyle();
}

Acad::ErrorStatus AcDbMText::getGeomExtents(AcDbExtents& extents) const {
    const double w = actualWidth(), h = actualHeight();
    const int column = (static_cast<int>(m_attachment) - 1) % 3;  // 0 left, 1 centre, 2 right
    const int row = (static_cast<int>(m_attachment) - 1) / 3;     // 0 top, 1 middle, 2 bottom
    const double x0 = -w * column / 2.0;
    const double y1 = h * row / 2.0;  // the top edge above the location
    const AcGeVector3d up = m_normal.crossProduct(m_direction);
    extents = AcDbExtents();
    for (double x : {x0, x0 + w})
        for (double y : {y1 - h, y1}) extents.addPoint(m_location + m_direction * x + up * y);
    return Acad::eOk;
}
