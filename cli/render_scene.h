#pragma once
// What the parts of the SVG renderer share: the canvas, how an entity's
// colour, lineweight and layer are resolved (through the block reference
// that draws it), and the drawing functions of each group of kinds.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <dbents.h>
#include <dbhatch.h>
#include <dxfrecords.h>

#include "render_canvas.h"

namespace drovik::cli {

// What an entity inside a block takes from the reference drawing it:
// colour "by block", lineweight "by block", and layer "0" stands for the
// reference's layer.
struct Inherited {
    std::string color = "#000000";
    double lineweightMm = -1;  // -1: the default
    AcDbObjectId layer;        // null: no reference (model space)
};

// A layer as drawn.
struct LayerLook {
    bool hidden = false;  // off or frozen
    std::string color = "#000000";
    double lineweightMm = -1;
    bool isZero = false;  // the layer "0"
};

// How one entity is drawn.
struct Look {
    std::string color;
    double widthPx = 1;
    double lineweightMm = -1;
    AcDbObjectId layer;  // effective layer (for references inside)
};

class Scene {
public:
    Scene(AcDbDatabase* db, Canvas& canvas) : m_db(db), m_canvas(canvas) {}
    Canvas& canvas() { return m_canvas; }
    AcDbDatabase* db() const { return m_db; }

    // The look of the entity drawn in this context; false when its layer is
    // off or frozen (it is not drawn).
    bool Resolve(const AcDbEntity& ent, const Inherited& from, Look& look);
    // The entity's own tags as read (empty for entities not read from a file).
    const std::vector<host::dxf::FileTag>& TagsOf(const AcDbEntity& ent);
    // The entities of a block record, ready to draw: modelled ones opened
    // through their ids, kept ones as modelled copies where their kind has
    // a modelled form (the kept entity itself otherwise). Cached per block.
    struct Member {
        AcDbObjectId id;                      // the block's entity
        std::shared_ptr<AcDbEntity> copy;     // a modelled copy of a kept entity, or null
    };
    const std::vector<Member>& BlockMembers(AcDbObjectId block);
    // Guard against blocks that hold references to themselves.
    bool Enter(AcDbObjectId block);
    void Leave(AcDbObjectId block);
    double PxOfLineweight(double mm) const;
    // How many block references deep the drawing is (0: the space itself).
    size_t depth() const { return m_drawing.size(); }
    // The tags of the file's DICTIONARY or SPATIAL_FILTER record kept with
    // this handle (hexadecimal, any case); null when there is none.
    const std::vector<host::dxf::FileTag>* KeptRecord(const std::string& handle);
    // A new id for an SVG clip path.
    int NewClipId() { return ++m_clips; }

private:
    const LayerLook& LayerOf(AcDbObjectId layer);

    AcDbDatabase* m_db;
    Canvas& m_canvas;
    std::map<AcDbObjectId, LayerLook> m_layers;
    std::map<AcDbObjectId, std::vector<Member>> m_blocks;
    std::vector<AcDbObjectId> m_drawing;  // blocks being drawn, outermost first
    AcDbObjectId m_tagsOf;
    std::vector<host::dxf::FileTag> m_tags;
    std::map<std::string, std::vector<host::dxf::FileTag>> m_kept;  // by upper-case handle
    bool m_keptRead = false;
    int m_clips = 0;
};

// Draws any entity (the one dispatch every group comes back to). `style`
// is the entity whose properties apply (a kept entity for its modelled copy).
void DrawEntity(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Inherited& from);

// Each group of kinds: true when it drew (or knowingly skipped) the entity.
bool DrawCurve(Scene& scene, const AcDbEntity& ent, const Look& look);
bool DrawTextKind(Scene& scene, const AcDbEntity& ent, const Look& look);
bool DrawSolidKind(Scene& scene, const AcDbEntity& ent, const Look& look);
bool DrawReference(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look,
                   const Inherited& from);
bool DrawHatch(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look);
bool DrawDimension(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look);
bool DrawAnnotation(Scene& scene, const AcDbEntity& ent, const AcDbEntity& style, const Look& look);

// The frame of a raster image from its tags (10 the lower-left corner, 11
// and 12 a pixel along and up, 13 the size in pixels), corner by corner
// anticlockwise; false when the tags give none.
bool ImageFrame(const std::vector<host::dxf::FileTag>& tags, AcGePoint3d corners[4]);

// The entities of a block drawn in the current transform, inheriting from
// the reference whose look is given.
void DrawBlock(Scene& scene, AcDbObjectId block, const Look& refLook);

// The plane axes of a normal by the arbitrary axis rule, so curves of a
// tilted plane are drawn as the plan view shows them.
void PlaneAxes(const AcGeVector3d& normal, AcGeVector3d& ax, AcGeVector3d& ay);

// The hatch of a HATCH record's tags (after its 0 tag): plane, pattern,
// loops and the pattern's definition lines; what the tags lack keeps the
// defaults (a solid fill without loops).
std::unique_ptr<AcDbHatch> HatchFromTags(const std::vector<host::dxf::FileTag>& tags);

// The first value of a code in tags, or null.
const std::string* TagValue(const std::vector<host::dxf::FileTag>& tags, int code);
// "#rrggbb" of a true colour (code 420: 0x00RRGGBB).
std::string TrueColorRgb(long value);

}  // namespace drovik::cli
