// Texts, attributes and multi-line texts as SVG text elements.
#include <algorithm>
#include <cmath>
#include <cwctype>
#include <memory>

#include <acutads.h>
#include <dbents.h>
#include <dbmtext.h>

#include "render_scene.h"

namespace drovik::cli {
namespace {

// The control codes of single-line text: %%c diameter, %%d degree, %%p
// plus-minus; %%u and %%o (under- and overline) are dropped.
std::wstring PlainText(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 2 < text.size() && text[i + 1] == L'%') {
            const wchar_t code = static_cast<wchar_t>(std::towlower(text[i + 2]));
            const wchar_t* sub = code == L'c' ? L"\u2300" : code == L'd' ? L"\u00b0" : code == L'p' ? L"\u00b1"
                                 : code == L'%' ? L"%" : code == L'u' || code == L'o' ? L"" : nullptr;
            if (sub) {
                out += sub;
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

void DrawText(Scene& scene, const AcDbText& text, const std::wstring& content, const Look& look) {
    const bool aligned = !text.isDefaultAlignment();
    Canvas::TextPlacement place;
    place.at = aligned ? text.alignmentPoint() : text.position();
    switch (text.horizontalMode()) {
        case AcDb::kTextCenter:
        case AcDb::kTextMid:
        case AcDb::kTextAlign:
        case AcDb::kTextFit: place.anchor = "middle"; break;
        case AcDb::kTextRight: place.anchor = "end"; break;
        default: break;
    }
    if (text.horizontalMode() == AcDb::kTextAlign || text.horizontalMode() == AcDb::kTextFit) {
        // Between the two points: the middle of the base line.
        place.at = text.position() + (text.alignmentPoint() - text.position()) * 0.5;
    }
    if (text.horizontalMode() == AcDb::kTextMid) place.baseline = "central";
    switch (text.verticalMode()) {
        case AcDb::kTextBottom: place.baseline = "text-after-edge"; break;
        case AcDb::kTextVertMid: place.baseline = "central"; break;
        case AcDb::kTextTop: place.baseline = "hanging"; break;
        default: break;
    }
    place.xdir = AcGeVector3d(std::cos(text.rotation()), std::sin(text.rotation()), 0);
    place.ydir = AcGeVector3d(-std::sin(text.rotation()), std::cos(text.rotation()), 0);
    place.height = text.height();
    place.widthFactor = text.widthFactor() > 0 ? text.widthFactor() : 1.0;
    scene.canvas().Text(place, PlainText(content), look.color);
}

// About the host's layout: a character 0.6 text heights wide, a full-width
// one 1.0.
double Advance(wchar_t c) { return c >= 0x1100 ? 1.0 : 0.6; }

// The lines of a multi-line text's plain contents, wrapped at the width.
std::vector<std::wstring> MTextLines(const std::wstring& text, double width, double height) {
    std::vector<std::wstring> paragraphs(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        if (text[i] == L'\n' || text[i] == L'\r') paragraphs.emplace_back();
        else paragraphs.back() += text[i];
    }
    if (!(width > 0) || !(height > 0)) return paragraphs;
    std::vector<std::wstring> lines;
    const double room = width / height;
    for (const std::wstring& paragraph : paragraphs) {
        std::wstring line;
        double used = 0;
        size_t lastBreak = std::wstring::npos;  // in line: after a space or a full-width character
        for (wchar_t c : paragraph) {
            line += c;
            used += Advance(c);
            if (c == L' ' || c >= 0x1100) lastBreak = line.size();
            if (used > room && lastBreak != std::wstring::npos && lastBreak < line.size()) {
                lines.push_back(line.substr(0, lastBreak));
                line.erase(0, lastBreak);
                used = 0;
                for (wchar_t k : line) used += Advance(k);
                lastBreak = std::wstring::npos;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

void DrawMText(Scene& scene, const AcDbMText& mtext, const Look& look) {
    ACHAR* raw = mtext.text();
    const std::wstring plain = raw ? raw : L"";
    acutDelString(raw);
    const double h = mtext.textHeight();
    const std::vector<std::wstring> lines = MTextLines(plain, mtext.width(), h);
    const double spacing = h * 5.0 / 3.0 * mtext.lineSpacingFactor();
    const int attach = static_cast<int>(mtext.attachment());
    const int row = (attach - 1) / 3, column = (attach - 1) % 3;  // 0 top/left, 1 middle/centre, 2 bottom/right
    const double block = h + spacing * (lines.size() - 1);
    // The first line's baseline, down from the location.
    const double firstDown = row == 0 ? h : row == 1 ? h - block / 2 : h - block;
    Canvas::TextPlacement place;
    place.xdir = mtext.direction();
    place.ydir = mtext.normal().crossProduct(mtext.direction()).normal();
    place.height = h;
    place.anchor = column == 0 ? "start" : column == 1 ? "middle" : "end";
    for (size_t i = 0; i < lines.size(); ++i) {
        place.at = mtext.location() - place.ydir * (firstDown + spacing * i);
        scene.canvas().Text(place, lines[i], look.color);
    }
}

}  // namespace

bool DrawTextKind(Scene& scene, const AcDbEntity& ent, const Look& look) {
    if (const auto* def = AcDbAttributeDefinition::cast(&ent)) {
        // In a block the definition is the template of its references'
        // attributes: only a constant one is drawn, with its text; on its
        // own it shows its tag.
        if (scene.depth() > 0 && !def->isConstant()) return true;
        if (!def->isInvisible() || scene.depth() == 0)
            DrawText(scene, *def, scene.depth() > 0 ? def->textString().str() : def->tagConst(), look);
        return true;
    }
    if (const auto* attribute = AcDbAttribute::cast(&ent)) {
        if (!attribute->isInvisible()) DrawText(scene, *attribute, attribute->textString().str(), look);
        return true;
    }
    if (const auto* text = AcDbText::cast(&ent)) {
        DrawText(scene, *text, text->textString().str(), look);
        return true;
    }
    if (const auto* mtext = AcDbMText::cast(&ent)) {
        DrawMText(scene, *mtext, look);
        return true;
    }
    return false;
}

}  // namespace drovik::cli
