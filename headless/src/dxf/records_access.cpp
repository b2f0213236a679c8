// The kept form of a drawing read from DXF (see dxfrecords.h).
#include "dxfrecords.h"

#include <memory>

#include "dbentsblock.h"
#include "dbsymtb.h"
#include "entities.h"
#include "image.h"
#include "widetext.h"

namespace host {
namespace dxf {

using namespace detail;
using host_detail::ObjectAccess;

namespace {

const FileImage* ImageOf(const AcDbDatabase* db) {
    return db ? dynamic_cast<const FileImage*>(ObjectAccess::file(db)) : nullptr;
}

// A record cut at its 0 tags: the head, then each record of its sequence.
struct Part {
    std::string_view type;
    std::vector<Tag> tags;  // after the 0 tag
};

std::vector<Part> PartsOf(const FileImage& img, const Record& r, Arena& arena) {
    std::vector<Tag> all;
    img.tags(r, all, arena);
    std::vector<Part> parts;
    for (const Tag& t : all) {
        if (t.code == 0) {
            parts.push_back({Trim(t.value), {}});
        } else if (!parts.empty()) {
            parts.back().tags.push_back(t);
        }
    }
    return parts;
}

std::vector<FileTag> Decoded(const std::vector<Tag>& tags, Codec& codec, bool withZero) {
    std::vector<FileTag> out;
    out.reserve(tags.size());
    for (const Tag& t : tags) {
        if (t.code == 0 && !withZero) continue;
        FileTag f;
        f.code = t.code;
        f.value = KindOfCode(t.code) == VK::Str ? host::WideToUtf8(codec.decode(t.value)) : std::string(Trim(t.value));
        out.push_back(std::move(f));
    }
    return out;
}

// The part read by the description of its type; null when the reader
// would keep it.
AcDbEntity* ReadPart(const Part& part, const char* as, Codec& codec, std::string_view* blockName) {
    const EntityDescription* desc = DescriptionOf(as ? std::string_view(as) : part.type);
    if (!desc) return nullptr;
    std::vector<std::string> warnings;
    EntityIn in{part.tags, codec, warnings, 0, {}};
    in.geometry = true;
    AcDbEntity* e = desc->read(in);
    if (blockName) *blockName = in.blockName;
    return e;
}

// An ATTRIB or ATTDEF: its text part read as TEXT is read, then its tag,
// flags and vertical mode (code 74; its 73 is the field length).
AcDbEntity* ReadAttribute(const Part& part, Codec& codec) {
    Part text{part.type, {}};
    for (const Tag& t : part.tags)
        if (t.code != 73 && t.code != 74) text.tags.push_back(t);
    std::unique_ptr<AcDbEntity> read(ReadPart(text, "TEXT", codec, nullptr));
    const auto* base = AcDbText::cast(read.get());
    if (!base) return nullptr;
    std::wstring tag, prompt;
    host_detail::AttributeFlags flags;
    long long vertical = 0;
    for (const Tag& t : part.tags) {
        long long n = 0;
        if (t.code == 1001) break;
        if (t.code == 2) tag = codec.decode(Trim(t.value));
        if (t.code == 3) prompt = codec.decode(t.value);
        if (t.code == 70 && ParseInt(t.value, n)) {
            flags.invisible = (n & 1) != 0;
            flags.constant = (n & 2) != 0;
            flags.verifiable = (n & 4) != 0;
            flags.preset = (n & 8) != 0;
        }
        if (t.code == 74 && ParseInt(t.value, n) && n >= 0 && n <= 3) vertical = n;
    }
    if (tag.empty() || tag.find(L' ') != std::wstring::npos) tag = L"TAG";
    AcDbText* made = nullptr;
    if (part.type == "ATTDEF") {
        auto* def = new AcDbAttributeDefinition;
        static_cast<AcDbText&>(*def) = *base;
        def->setTag(tag.c_str());
        def->setPrompt(prompt.c_str());
        def->setInvisible(flags.invisible);
        def->setConstant(flags.constant);
        made = def;
    } else {
        auto* attr = new AcDbAttribute;
        static_cast<AcDbText&>(*attr) = *base;
        attr->setTag(tag.c_str());
        attr->setFlags(flags);
        made = attr;
    }
    made->setVerticalMode(static_cast<AcDb::TextVertMode>(vertical));
    return made;
}

AcDbObjectId BlockNamed(const AcDbDatabase* db, std::string_view raw, Codec& codec) {
    AcDbBlockTable* table = nullptr;
    AcDbObjectId id;
    if (const_cast<AcDbDatabase*>(db)->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return id;
    table->getAt(codec.decode(raw).c_str(), id);
    table->close();
    return id;
}

// The layer, colour and visibility a part gives itself, for the parts of
// a sequence that have no kept entity of their own (attributes).
void TakeCommonCodes(AcDbEntity* e, const Part& part, const AcDbDatabase* db, Codec& codec) {
    for (const Tag& t : part.tags) {
        long long n = 0;
        if (t.code == 1001) break;
        if (t.code == 62 && ParseInt(t.value, n) && n >= 0 && n <= 256) e->setColorIndex(static_cast<Adesk::UInt16>(n));
        if (t.code == 60 && ParseInt(t.value, n) && n == 1) e->setVisibility(AcDb::kInvisible);
        if (t.code == 8) {
            AcDbLayerTable* table = nullptr;
            if (const_cast<AcDbDatabase*>(db)->getLayerTable(table, AcDb::kForRead) != Acad::eOk) continue;
            AcDbObjectId layer;
            if (table->getAt(codec.decode(Trim(t.value)).c_str(), layer) == Acad::eOk) e->setLayer(layer, true, true);
            table->close();
        }
    }
}

// An INSERT with attributes or in rows and columns: the reference read
// without them, then made an array and given its attributes.
AcDbEntity* ReadReference(const std::vector<Part>& parts, const AcDbDatabase* db, Codec& codec) {
    Part head{parts[0].type, {}};
    long long columns = 1, rows = 1;
    double colSpacing = 0, rowSpacing = 0;
    for (const Tag& t : parts[0].tags) {
        switch (t.code) {
        case 66: continue;
        case 70: ParseInt(t.value, columns); continue;
        case 71: ParseInt(t.value, rows); continue;
        case 44: ParseDouble(t.value, colSpacing); continue;
        case 45: ParseDouble(t.value, rowSpacing); continue;
        default: head.tags.push_back(t);
        }
    }
    std::string_view blockName;
    std::unique_ptr<AcDbEntity> read(ReadPart(head, nullptr, codec, &blockName));
    auto* plain = AcDbBlockReference::cast(read.get());
    if (!plain) return nullptr;
    std::unique_ptr<AcDbBlockReference> ref;
    if (columns > 1 || rows > 1) {
        auto* array = new AcDbMInsertBlock;
        ref.reset(array);
        array->setColumns(static_cast<Adesk::UInt16>(std::max(1LL, std::min(columns, 65535LL))));
        array->setRows(static_cast<Adesk::UInt16>(std::max(1LL, std::min(rows, 65535LL))));
        array->setColumnSpacing(colSpacing);
        array->setRowSpacing(rowSpacing);
        ref->setPosition(plain->position());
        ref->setScaleFactors(plain->scaleFactors());
        ref->setRotation(plain->rotation());
        ref->setNormal(plain->normal());
    } else {
        ref.reset(plain);
        read.release();
    }
    const AcDbObjectId block = BlockNamed(db, blockName, codec);
    if (!block.isNull()) ref->setBlockTableRecord(block);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].type != "ATTRIB") continue;
        std::unique_ptr<AcDbEntity> attr(ReadAttribute(parts[i], codec));
        if (auto* a = AcDbAttribute::cast(attr.get())) {
            TakeCommonCodes(a, parts[i], db, codec);
            if (ref->appendAttribute(a) == Acad::eOk) attr.release();
        }
    }
    return ref.release();
}

// A POLYLINE with its vertices, each of the polyline's kind.
AcDbEntity* ReadPolyline(const std::vector<Part>& parts, Codec& codec) {
    std::unique_ptr<AcDbEntity> head(ReadPart(parts[0], nullptr, codec, nullptr));
    auto* flat = AcDb2dPolyline::cast(head.get());
    auto* space = AcDb3dPolyline::cast(head.get());
    if (!flat && !space) return nullptr;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].type != "VERTEX") continue;
        std::unique_ptr<AcDbEntity> v(ReadPart(parts[i], "VERTEX", codec, nullptr));
        if (auto* v2 = AcDb2dVertex::cast(v.get()); v2 && flat) {
            if (flat->appendVertex(v2) == Acad::eOk) v.release();
        } else if (auto* v3 = AcDb3dPolylineVertex::cast(v.get()); v3 && space) {
            if (space->appendVertex(v3) == Acad::eOk) v.release();
        }
    }
    return head.release();
}

}  // namespace

bool ObjectFileTags(const AcDbObject* obj, std::vector<FileTag>& tags) {
    tags.clear();
    if (!obj) return false;
    const FileImage* img = ImageOf(obj->database());
    if (!img) return false;
    const Record* r = nullptr;
    if (const auto* kept = AcDbKeptEntity::cast(obj)) {
        if (kept->keptRecord() > 0 && kept->keptRecord() < img->records.size()) r = &img->records[kept->keptRecord()];
    } else {
        r = img->recordOf(static_cast<std::uint32_t>(obj->objectId().handle()));
    }
    if (!r) return false;
    Arena arena;
    std::vector<Tag> all;
    img->tags(*r, all, arena);
    if (!all.empty() && all[0].code == 0) all.erase(all.begin());
    Codec codec;
    codec.setup(img->utf8, img->codepage);
    tags = Decoded(all, codec, true);
    return true;
}

std::vector<std::vector<FileTag>> FileRecordsOfType(const AcDbDatabase* db, const std::string& type) {
    std::vector<std::vector<FileTag>> out;
    const FileImage* img = ImageOf(db);
    if (!img) return out;
    Codec codec;
    codec.setup(img->utf8, img->codepage);
    Arena arena;
    std::vector<Tag> all;
    for (std::size_t i = 1; i < img->records.size(); ++i) {
        const Record& r = img->records[i];
        if (r.role != Role::Plain || r.slot != 0 || r.type != type) continue;
        img->tags(r, all, arena);
        out.push_back(Decoded(all, codec, false));
    }
    return out;
}

AcDbEntity* ModelKeptEntity(const AcDbKeptEntity* kept) {
    if (!kept) return nullptr;
    const FileImage* img = ImageOf(kept->database());
    if (!img || kept->keptRecord() == 0 || kept->keptRecord() >= img->records.size()) return nullptr;
    Arena arena;
    const std::vector<Part> parts = PartsOf(*img, img->records[kept->keptRecord()], arena);
    if (parts.empty()) return nullptr;
    Codec codec;
    codec.setup(img->utf8, img->codepage);
    if (parts[0].type == "INSERT") return ReadReference(parts, kept->database(), codec);
    if (parts[0].type == "POLYLINE") return ReadPolyline(parts, codec);
    if (parts[0].type == "MTEXT") {
        // Column data embedded after code 101 is left for the text alone.
        Part text{parts[0].type, {}};
        bool embedded = false;
        for (const Tag& t : parts[0].tags) {
            if (t.code == 101) embedded = true;
            if (t.code == 1001) embedded = false;
            if (!embedded) text.tags.push_back(t);
        }
        return ReadPart(text, nullptr, codec, nullptr);
    }
    if (parts[0].type == "ATTDEF" || parts[0].type == "ATTRIB") return ReadAttribute(parts[0], codec);
    return ReadPart(parts[0], nullptr, codec, nullptr);
}

}  // namespace dxf
}  // namespace host
