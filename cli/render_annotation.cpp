// Kinds kept as read that are drawn from their tags: multi-line leaders
// (leader lines, landing and text), multilines (each element along its
// vertices' mitres) and raster images (their frame: the pixels live in
// another file).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <dbkept.h>
#include <dbmtext.h>
#include <widetext.h>

#include "render_scene.h"

namespace drovik::cli {
namespace {

using Tags = std::vector<host::dxf::FileTag>;

double Number(const host::dxf::FileTag& t) { return std::strtod(t.value.c_str(), nullptr); }

// A point from its x tag at tags[i] and the y tag after it (when present).
AcGePoint3d PointFrom(const Tags& tags, size_t i) {
    AcGePoint3d p(Number(tags[i]), 0, 0);
    if (i + 1 < tags.size() && tags[i + 1].code == tags[i].code + 10) p.y = Number(tags[i + 1]);
    return p;
}

void StrokePoints(Scene& scene, const std::vector<AcGePoint3d>& points, bool closed, const Look& look) {
    if (points.size() < 2) return;
    PagePath path;
    for (const AcGePoint3d& p : points) scene.canvas().AddLine(path, p);
    if (closed) path.Close();
    scene.canvas().Stroke(path, look.color, look.widthPx);
}

// An arrowhead at tip, pointing away from `from`: a filled triangle of the
// given length, a third as wide.
void Arrowhead(Scene& scene, const AcGePoint3d& tip, const AcGePoint3d& from, double size, const Look& look) {
    AcGeVector3d back = from - tip;
    if (!(size > 0) || !(back.length() > 0)) return;
    back = back.normal() * size;
    const AcGeVector3d side(-back.y / 6, back.x / 6, 0);
    PagePath path;
    for (const AcGePoint3d& p : {tip, tip + back + side, tip + back - side}) scene.canvas().AddLine(path, p);
    path.Close();
    scene.canvas().Fill(path, look.color, false);
}

// ---- MULTILEADER ----
// In its CONTEXT_DATA{ group: the text (304 contents at 12, height 41,
// direction 13, width 43, attachment 171), the arrowhead size (140), and
// one LEADER{ group per leader: its landing point (10), the landing's
// direction (11) and length (40), and LEADER_LINE{ groups of vertices (10)
// from the arrowhead on.

struct MLeaderText {
    std::wstring contents;
    AcGePoint3d location;
    AcGeVector3d direction = AcGeVector3d::kXAxis;
    double height = 0, width = 0;
    int attachment = 1;
};

void DrawMLeader(Scene& scene, const Tags& tags, const Look& look) {
    MLeaderText text;
    double arrow = 0;
    std::vector<std::vector<AcGePoint3d>> lines;
    AcGePoint3d landing;
    AcGeVector3d dogleg;
    double doglegLength = 0;
    int depth = 0;  // 1: CONTEXT_DATA, 2: LEADER, 3: LEADER_LINE
    auto finishLeader = [&] {
        for (auto& line : lines) {
            line.push_back(landing);
            StrokePoints(scene, line, false, look);
            if (line.size() >= 2) Arrowhead(scene, line[0], line[1], arrow, look);
        }
        if (doglegLength > 0 && dogleg.length() > 0)
            StrokePoints(scene, {landing, landing + dogleg.normal() * doglegLength}, false, look);
        lines.clear();
        doglegLength = 0;
        dogleg = AcGeVector3d();
    };
    for (size_t i = 0; i < tags.size(); ++i) {
        const host::dxf::FileTag& t = tags[i];
        if (t.code == 0 || t.code == 1001) break;
        if (t.code == 300 && t.value == "CONTEXT_DATA{") depth = 1;
        if (t.code == 302 && t.value == "LEADER{") depth = 2;
        if (t.code == 304 && t.value == "LEADER_LINE{") {
            depth = 3;
            lines.emplace_back();
            continue;
        }
        if (t.code == 305 && t.value == "}") depth = 2;
        if (t.code == 303 && t.value == "}") {
            finishLeader();
            depth = 1;
        }
        if (t.code == 301 && t.value == "}") depth = 0;
        if (depth == 1) {
            if (t.code == 304) text.contents = host::Utf8ToWide(t.value);
            if (t.code == 12) text.location = PointFrom(tags, i);
            if (t.code == 13) text.direction = PointFrom(tags, i).asVector();
            if (t.code == 41) text.height = Number(t);
            if (t.code == 43) text.width = Number(t);
            if (t.code == 171) text.attachment = std::atoi(t.value.c_str());
            if (t.code == 140) arrow = Number(t);
        } else if (depth == 2) {
            if (t.code == 10) landing = PointFrom(tags, i);
            if (t.code == 11) dogleg = PointFrom(tags, i).asVector();
            if (t.code == 40) doglegLength = Number(t);
        } else if (depth == 3 && t.code == 10) {
            lines.back().push_back(PointFrom(tags, i));
        }
    }
    if (text.contents.empty() || !(text.height > 0)) return;
    AcDbMText mtext;
    mtext.setLocation(text.location);
    if (text.direction.length() > 0) mtext.setDirection(text.direction);
    mtext.setTextHeight(text.height);
    mtext.setWidth(text.width > 0 ? text.width : 0);
    if (text.attachment >= 1 && text.attachment <= 9)
        mtext.setAttachment(static_cast<AcDbMText::AttachmentPoint>(text.attachment));
    mtext.setContents(text.contents.c_str());
    DrawTextKind(scene, mtext, look);
}

// ---- MLINE ----
// Per vertex (11): its mitre direction (13) and, per element, a count (74)
// of parameters (41), the first the element's offset along the mitre, then
// a count (75) of fill parameters (42). Closed when flag 2 of code 71 is set.

void DrawMLine(Scene& scene, const Tags& tags, const Look& look) {
    std::vector<AcGePoint3d> vertices;
    std::vector<AcGeVector3d> mitres;
    std::vector<std::vector<double>> offsets;  // per vertex, per element
    int flags = 0;
    for (size_t i = 0; i < tags.size(); ++i) {
        const host::dxf::FileTag& t = tags[i];
        if (t.code == 0 || t.code == 1001) break;
        if (t.code == 71) flags = std::atoi(t.value.c_str());
        if (t.code == 11) {
            vertices.push_back(PointFrom(tags, i));
            mitres.emplace_back();
            offsets.emplace_back();
        }
        if (vertices.empty()) continue;
        if (t.code == 13) mitres.back() = PointFrom(tags, i).asVector();
        if (t.code == 74) {
            const long count = std::atol(t.value.c_str());
            offsets.back().push_back(count > 0 && i + 1 < tags.size() && tags[i + 1].code == 41 ? Number(tags[i + 1])
                                                                                                 : 0.0);
        }
    }
    size_t elements = offsets.empty() ? 0 : offsets[0].size();
    for (const auto& o : offsets) elements = std::min(elements, o.size());
    for (size_t e = 0; e < elements; ++e) {
        std::vector<AcGePoint3d> points;
        for (size_t v = 0; v < vertices.size(); ++v) points.push_back(vertices[v] + mitres[v] * offsets[v][e]);
        StrokePoints(scene, points, (flags & 2) != 0, look);
    }
}

// ---- IMAGE ----
// The insertion point (10) is the lower-left corner; 11 and 12 are one
// pixel along and up; 13 is the size in pixels.

void DrawImageFrame(Scene& scene, const Tags& tags, const Look& look) {
    AcGePoint3d corners[4];
    if (ImageFrame(tags, corners)) StrokePoints(scene, {corners[0], corners[1], corners[2], corners[3]}, true, look);
}

}  // namespace

bool ImageFrame(const std::vector<host::dxf::FileTag>& tags, AcGePoint3d corners[4]) {
    AcGePoint3d corner;
    AcGeVector3d u, v;
    double width = 0, height = 0;
    for (size_t i = 0; i < tags.size(); ++i) {
        const host::dxf::FileTag& t = tags[i];
        if (t.code == 0 || t.code == 1001) break;
        if (t.code == 10) corner = PointFrom(tags, i);
        if (t.code == 11) u = PointFrom(tags, i).asVector();
        if (t.code == 12) v = PointFrom(tags, i).asVector();
        if (t.code == 13) {
            const AcGePoint3d size = PointFrom(tags, i);
            width = size.x;
            height = size.y;
        }
    }
    const AcGeVector3d across = u * width, up = v * height;
    if (!(across.length() > 0) || !(up.length() > 0)) return false;
    corners[0] = corner;
    corners[1] = corner + across;
    corners[2] = corner + across + up;
    corners[3] = corner + up;
    return true;
}

bool DrawAnnotation(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look) {
    const auto* kept = AcDbKeptEntity::cast(&style);
    if (!kept || &ent != &style) return false;
    const std::string& kind = kept->dxfName();
    if (kind == "MULTILEADER" || kind == "MLEADER") {
        DrawMLeader(scene, scene.TagsOf(style), look);
        return true;
    }
    if (kind == "MLINE") {
        DrawMLine(scene, scene.TagsOf(style), look);
        return true;
    }
    if (kind == "IMAGE") {
        DrawImageFrame(scene, scene.TagsOf(style), look);
        return true;
    }
    return false;
}

}  // namespace drovik::cli
