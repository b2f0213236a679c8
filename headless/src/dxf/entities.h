#pragma once
// The modelled entities: one description per DXF entity kind, serving the
// reader (tags to a host entity) and the writer (a host entity to the tags
// it owns). Codes an entity's description does not own stay in the file's
// record and are written back around the owned ones, subclass by subclass.
// Adding a modelled kind is adding one description to the table.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "dbents.h"
#include "dbmain.h"
#include "emit.h"
#include "encoding.h"
#include "tags.h"

namespace host {
namespace dxf {
namespace detail {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegPerRad = 180.0 / kPi;

// What reading an entity's own tags needs and finds besides the entity.
struct EntityIn {
    const std::vector<Tag>& tags;  // the record's tags after its 0 tag
    Codec& codec;
    std::vector<std::string>& warnings;
    std::uint32_t line;          // of the record
    std::string_view styleName;  // TEXT: code 7 (resolved later)
    std::string_view blockName = {};  // INSERT, DIMENSION: code 2 (resolved later)
    // HATCH: the source objects of its loops, (loop, handle) (resolved later).
    std::vector<std::pair<int, std::uint64_t>> refs = {};
    // Read for the geometry of a record kept as read, not to keep it: what
    // the model holds only in another form is taken in that form (a SPLINE
    // given by fit points alone, an ELLIPSE whose minor axis is the longer).
    // Otherwise such records stay as read, and so stay as the file has them.
    bool geometry = false;
    void warn(std::uint32_t at, const std::string& text) {
        warnings.push_back("line " + std::to_string(at) + ": " + text);
    }
};

// What writing needs: the output, the record as read (null for new
// entities) and the names of table records.
struct EntityOut {
    Emitter& e;
    const std::vector<Tag>* orig;
    std::wstring (*nameOf)(AcDbObjectId);
    std::function<std::uint64_t(AcDbObjectId)> handleOf = {};  // the handle written for an object
    std::string_view version = {};                             // $ACADVER written ("AC1015")
    bool changed = true;  // the entity changed since it was read (or is new)
    // The file's value of a code in the record as read, or fallback.
    double origReal(int code, double fallback) const;
    long long origInt(int code, long long fallback) const;
    bool has(int code) const;
    AcGeVector3d origNormal() const;  // 210/220/230, +Z when absent
    Codec* src = nullptr;  // the encoding of the record as read
    // Writes the file's tags of these codes as they were spelled (escapes
    // kept) when together they say text; false (nothing written) otherwise.
    bool asRead(std::initializer_list<int> codes, const std::wstring& text) const;
};

struct Subclass {
    const char* marker;                  // "AcDbLine"
    std::vector<int> codes;              // codes the description owns in it
    bool owns(int code) const;
};

struct EntityDescription {
    const char* type;                    // "LINE"
    const AcRxClass* (*cls)();           // the host class written as this type
    std::vector<Subclass> subclasses;    // after AcDbEntity, in file order
    // A new host entity (in no database) from the tags; null when this
    // record cannot be modelled (it is then kept as read).
    AcDbEntity* (*read)(EntityIn& in);
    // The owned tags of subclass i.
    void (*write)(EntityOut& out, const AcDbEntity* ent, std::size_t i);
};

// Reads the numbers of a record; a value that is no number makes the record
// one the host keeps as read (with a warning) instead of modelling it.
struct Numbers {
    EntityIn& in;
    const char* type;
    bool bad = false;
    double real(const Tag& t) {
        double d = 0;
        if (!ParseDouble(t.value, d)) fault(t, "is not a number");
        return d;
    }
    long long integer(const Tag& t) {
        long long n = 0;
        if (!ParseInt(t.value, n)) fault(t, "is not an integer");
        return n;
    }
    void fault(const Tag& t, const char* what) {
        if (!bad) in.warn(t.line, Quote(t.value) + " " + what + " (group code " + std::to_string(t.code) + "): " +
                                      type + " kept as read");
        bad = true;
    }
    void unfit(const char* why) {
        if (!bad) in.warn(in.line, std::string(type) + " " + why + ": kept as read");
        bad = true;
    }
    // Valid data that the host does not model (a tilted polyline, columns
    // of text): kept as read, which is no mend, so no warning.
    void keep() { bad = true; }
};

// Before extended data.
template <class Fn>
void EachTag(EntityIn& in, Fn fn) {
    for (const Tag& t : in.tags) {
        if (t.code == 1001) break;
        fn(t);
    }
}

// The fields TEXT shares with the attribute entities, read tag by tag:
// TextField answers whether the tag was one of them (73, the vertical mode
// of TEXT, is not: attributes hold it under 74).
struct TextFields {
    AcGePoint3d pos, align;
    bool hasAlign = false;
    double height = 0, rot = 0, width = 1, oblique = 0;
    long long h = 0, v = 0;
    std::wstring text;
};
bool TextField(EntityIn& in, Numbers& n, const Tag& t, TextFields& f);
// False (the record kept as read, with a warning) for values the host refuses.
bool CheckTextFields(Numbers& n, const TextFields& f);
void ApplyTextFields(AcDbText* e, const TextFields& f);

// The descriptions kept in files of their own (entities_*.cpp), appended to
// the table.
void AddSolidDescriptions(std::vector<EntityDescription>& all);  // POINT, SOLID, TRACE, 3DFACE
void AddTextDescriptions(std::vector<EntityDescription>& all);   // MTEXT
void AddCurveDescriptions(std::vector<EntityDescription>& all);  // SPLINE
void AddBlockDescriptions(std::vector<EntityDescription>& all);  // INSERT, ATTRIB, ATTDEF
void AddHatchDescriptions(std::vector<EntityDescription>& all);  // HATCH
void AddDimensionDescriptions(std::vector<EntityDescription>& all);  // DIMENSION
// A 3D POLYLINE head and a 3D VERTEX (flag 32), from what the 2D reading
// of the record found.
AcDbEntity* ReadPolyline3d(EntityIn& in, long long flags, long long curve);
AcDbEntity* ReadVertex3d(const AcGePoint3d& p, long long flags);
// The owned tags of TEXT's subclass i, for the text entities derived from it.
void WriteTextOwned(EntityOut& out, const AcDbEntity* ent, std::size_t i);

// The description of a DXF type, or of a host entity; null when none.
const EntityDescription* DescriptionOf(std::string_view type);
const EntityDescription* DescriptionOf(const AcDbEntity* ent);

// Codes of AcDbEntity the host models: layer, linetype, colour, visibility.
inline bool IsCommonEntityCode(int code) { return code == 8 || code == 6 || code == 62 || code == 60; }

// Arbitrary-axis rule: the X and Y axes of an extrusion direction.
void OcsAxes(const AcGeVector3d& n, AcGeVector3d& ax, AcGeVector3d& ay);
inline bool IsPlusZ(const AcGeVector3d& n) { return n.x == 0.0 && n.y == 0.0 && n.z > 0.0; }
inline bool IsMinusZ(const AcGeVector3d& n) { return n.x == 0.0 && n.y == 0.0 && n.z < 0.0; }

}  // namespace detail
}  // namespace dxf
}  // namespace host
