#pragma once
// The DXF writer's inside, shared by writer.cpp (the walk over the file
// image: sections, tables, blocks, which records are written as read) and
// writer_records.cpp (records written tag by tag or from the model).
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "dbentsblock.h"
#include "dbents3d.h"
#include "dbdict.h"
#include "dbkept.h"
#include "dbpl.h"
#include "dbsymtb.h"
#include "dbxrecrd.h"
#include "emit.h"
#include "entities.h"
#include "image.h"
#include "reader.h"
#include "writer.h"

namespace host {
namespace dxf {
namespace detail {

using host_detail::ObjectAccess;

// The name of a symbol table record ("" for none).
std::wstring NameOf(AcDbObjectId id);
// Entity kinds R12 has.
bool InR12(std::string_view t);
// Codes an R12 record may hold.
bool R12Code(int c);

// A non-entity the host models: its subclass and the codes it owns there.
struct RecordDescription {
    const char* marker;
    std::vector<int> codes;
    bool ownsAll = false;  // every code of its subclass (an xrecord's data)
    bool owns(int code) const;
};
const RecordDescription* RecordDescriptionOf(const AcDbObject* obj);
// The DXF record type of a modelled non-entity ("LAYER"; "" for others).
const char* TypeOf(const AcDbObject* obj);

// Tags split by subclass marker: the head (before the first 100), then one
// part per marker, then extended data.
struct Parts {
    std::vector<Tag> head;
    std::vector<std::pair<std::string_view, std::vector<Tag>>> subs;
    std::vector<Tag> xdata;
};
void Split(const std::vector<Tag>& tags, Parts& p);

class Writer {
public:
    Writer(const AcDbDatabase* db, FileImage& img, Codec& srcCodec, std::string& body, const std::string& version,
           TagFormat format, std::vector<std::string>* dropped);

    void run();
    // Bytes past the header's place go to f in chunks as they are made
    // (the header, written last, stays in the body): a body the size of the
    // drawing would double the memory a large file is written with.
    void spillTo(std::FILE* f) { m_spill = f; }
    // The rest of the body (past the header's place) to the spill file.
    void spill();

    std::uint64_t seed() const { return m_fresh; }
    std::size_t headerAt() const { return m_headerAt; }
    std::uint32_t header() const { return m_header; }
    bool verbatim() const { return m_verbatim; }

    // The header variables, $HANDSEED and the update dates renewed.
    void writeHeader(std::string& out);

private:
    // ---- preparation ----

    void prepare();

    static std::uint32_t Slot(AcDbObjectId id) { return static_cast<std::uint32_t>(id.handle()); }
    std::uint64_t fileOf(AcDbObjectId id) const { return id.isNull() ? 0 : m_img.fileHandle(Slot(id)); }

    void note(const std::string& what);
    bool keepsFileName(const AcDbObject* obj, std::uint32_t slot);

public:
    void reportDrops();

private:
    // ---- sections ----

    bool dropsSection(SectionKind k) const;

    void section(const Record& r);

    void endSection(const Record& r);

    // Host records of a modelled table the file had none of.
    bool needsTable(TableKind k) const;
    void missingTablesSection();
    void missingTables();
    void newTableHead(TableKind kind, long long count);

    AcDbObjectId tableId(TableKind k) const;
    std::vector<AcDbObjectId> newRecordIds(TableKind k) const;
    void newRecords(TableKind k);

    void newEntities(std::uint32_t blockSlot);

    void newObjects();
    // Definitions of the blocks the client made (BLOCK, entities, ENDBLK).
    void newBlocks();
    // A table head, its count of records renewed.
    void tableHead(std::uint32_t i);

    // ---- records ----

    void tag(Emitter& e, const Tag& t);

    bool refersToErased(const Tag& t) const;

    // A record the host holds no object for, as read but for what a changed
    // drawing or version asks.
    void raw(const Record& r);

    void rawTags(const Record& r, const std::vector<Tag>& tags);

    void plain(std::uint32_t i);

    bool needsGroupEntry(const AcDbObject* obj) const;

    // Reactors an entity is written with: those of the file that are not
    // groups or erased, then the groups holding it.
    std::vector<std::uint64_t> reactorsOf(const std::vector<Tag>* orig, std::uint32_t slot) const;
    bool isFileGroup(std::uint64_t h) const;

    void entity(const Record* r, const AcDbEntity* ent, std::uint32_t index);

    // The vertices of a modelled polyline and its SEQEND.
    // it: the polyline's vertex iterator (deleted here).
    void vertices(std::uint32_t index, const AcDbEntity* pl, AcDbObjectIterator* it);

    // The attributes of a modelled block reference and their SEQEND (none
    // without attributes); index: the reference's record (0 for a new one).
    void attributes(std::uint32_t index, const AcDbBlockReference* ref);
    // The SEQEND bound after the record index (0: none).
    std::uint32_t seqendAfter(std::uint32_t index) const;
    void newSeqend(const AcDbEntity* head);

    // ---- blocks and dictionary objects (writer_blocks.cpp) ----

    // A BLOCK record: as read, or with what the model states of its block.
    void blockBegin(const Record& r);
    // The BLOCK fields of a block the client made.
    void newBlockFields(const AcDbBlockTableRecord* rec);
    // The owned fields of a BLOCK_RECORD.
    void blockRecordFields(const AcDbBlockTableRecord* rec, const Parts& parts, bool fromFile);
    // A dictionary's entries: the file's in their order (modelled ones as the
    // dictionary holds them now, the others as read), then the new ones.
    void dictionaryEntries(const AcDbDictionary* d, const Parts& parts, bool fromFile);
    void xrecordFields(const AcDbXrecord* x, bool fromFile);
    // Dictionaries and xrecords the file did not have (extension
    // dictionaries and what is filed in them).
    void newDictionaryObjects();
    bool writtenWithOwner(const AcDbObject* obj) const;
    // Whether the object of the slot is a dictionary object that goes with
    // its owner (an extension dictionary, an xrecord in one).
    bool OwnedObject(std::uint32_t slot) const;
    // The object's {ACAD_XDICTIONARY group, when it has one.
    void xdictGroup(const AcDbObject* obj);
    // Result-buffer items as tags (extended data, xrecord data).
    void items(const resbuf* list);

    void lwAsPolyline(const AcDbPolyline* pl, std::uint64_t owner);

    void common(const AcDbEntity* e);

    void merged(const Record* r, const AcDbObject* obj, const char* type, std::uint64_t owner);

    // An object written from the model, with every tag of the file's record
    // the model does not own (tags is null for a new object).
    void mergedTags(const Record* r, const std::vector<Tag>* tags, const AcDbObject* obj, const char* type,
                    std::uint64_t owner);

    static bool OwnedAnywhere(const EntityDescription& d, int code);

    void ownedRecord(const AcDbObject* obj, const Parts& parts, bool fromFile);

    void xdata(const AcDbObject* obj);
    void dimStyle(const AcDbDimStyleTableRecord* ds, const Parts& parts, bool fromFile);

    const AcDbDatabase* m_db;
    FileImage& m_img;
    Codec& m_src;
    Codec m_dst;
    std::string m_version;
    bool m_r12;
    bool m_down;  // an R13 or later drawing written as R12
    bool m_up;    // an R12 drawing written as R2000 or later: its kept records get subclass markers
    std::string& m_body;
    Emitter m_e;
    std::FILE* m_spill = nullptr;
    std::vector<std::string>* m_dropped;
    std::map<std::string, int> m_drops;
    Arena m_values;
    bool m_verbatim = false;
    bool m_noDates = false;
    std::uint64_t m_fresh = 1;
    std::uint32_t m_header = 0;
    std::size_t m_headerAt = 0;
    std::uint32_t m_model = 0, m_paper = 0;
    bool m_skipSection = false, m_skipTable = false, m_tablesSeen = false, m_tablesDone = false;
    bool m_blocksSeen = false;
    bool m_groupsChanged = false, m_renamed = false;
    SectionKind m_section = SectionKind::Other;
    std::unordered_map<std::uint32_t, bool> m_tableSeen;
    std::unordered_map<std::uint32_t, std::vector<std::uint64_t>> m_groupOf;  // by slot: group file handles
    std::unordered_set<std::uint64_t> m_groupHandles;
    std::unordered_set<std::uint64_t> m_erased;
    AcDbObjectId m_layerId;     // of the last entity written, and its
    std::string m_layerText;    // name in the output's encoding
};

}  // namespace detail
}  // namespace dxf
}  // namespace host
