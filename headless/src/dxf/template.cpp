// The file structure of a new drawing (see template.h).
#include "template.h"

#include <cstring>

#include "dbinternal.h"
#include "dbsymtb.h"

namespace host {
namespace dxf {
namespace detail {

void NewDrawingImage(const AcDbDatabase* db, Scanned& out) {
    using host_detail::ObjectAccess;
    std::uint64_t next = db->nextHandle();
    auto h = [](AcDbObjectId id) { return HexText(id.handle()); };
    const std::string vport = HexText(next++), view = HexText(next++), ucs = HexText(next++);
    std::string dimTable = HexText(next++), dimStd = HexText(next++);
    const std::string paper = HexText(next++);
    // The drawing's own dimension style table and "Standard", when it has them.
    const AcDbObjectId dimTableId = ObjectAccess::dimStyleTableIfAny(db);
    const AcDbObjectId dimStdId = ObjectAccess::findRecord(dimTableId, L"Standard");
    if (!dimTableId.isNull()) dimTable = h(dimTableId);
    if (!dimStdId.isNull()) dimStd = h(dimStdId);
    const std::string msBlock = HexText(next++), msEnd = HexText(next++), psBlock = HexText(next++),
                      psEnd = HexText(next++);
    const std::string bt = h(db->blockTableId()), ms = h(db->modelSpaceId());
    auto table = [](const char* name, const std::string& handle) {
        return std::string("0\nTABLE\n2\n") + name + "\n5\n" + handle + "\n330\n0\n100\nAcDbSymbolTable\n70\n0\n";
    };
    std::string t;
    t += "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1032\n9\n$DWGCODEPAGE\n3\nANSI_1252\n9\n$HANDSEED\n5\n0\n";
    t += "9\n$CLAYER\n8\n0\n9\n$TEXTSTYLE\n7\nStandard\n9\n$CELTYPE\n6\nByLayer\n0\nENDSEC\n";
    t += "0\nSECTION\n2\nCLASSES\n0\nCLASS\n1\nWIPEOUT\n2\nAcDbWipeout\n3\nWipeOut\n90\n127\n91\n0\n280\n0\n281\n1\n0\nENDSEC\n";
    t += "0\nSECTION\n2\nTABLES\n";
    t += table("VPORT", vport) + "0\nENDTAB\n";
    t += table("LTYPE", h(db->linetypeTableId())) + "0\nENDTAB\n";
    t += table("LAYER", h(db->layerTableId())) + "0\nENDTAB\n";
    t += table("STYLE", h(db->textStyleTableId())) + "0\nENDTAB\n";
    t += table("VIEW", view) + "0\nENDTAB\n";
    t += table("UCS", ucs) + "0\nENDTAB\n";
    t += table("APPID", h(db->regAppTableId())) + "0\nENDTAB\n";
    t += "0\nTABLE\n2\nDIMSTYLE\n5\n" + dimTable + "\n330\n0\n100\nAcDbSymbolTable\n70\n1\n100\nAcDbDimStyleTable\n71\n0\n";
    t += "0\nDIMSTYLE\n105\n" + dimStd + "\n330\n" + dimTable +
         "\n100\nAcDbSymbolTableRecord\n100\nAcDbDimStyleTableRecord\n2\nStandard\n70\n0\n0\nENDTAB\n";
    t += table("BLOCK_RECORD", bt);
    t += "0\nBLOCK_RECORD\n5\n" + paper + "\n330\n" + bt +
         "\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n2\n*Paper_Space\n70\n0\n280\n1\n281\n0\n0\nENDTAB\n";
    t += "0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n";
    auto block = [&](const std::string& b, const std::string& e, const std::string& owner, const char* name) {
        t += "0\nBLOCK\n5\n" + b + "\n330\n" + owner + "\n100\nAcDbEntity\n8\n0\n100\nAcDbBlockBegin\n2\n" + name +
             "\n70\n0\n10\n0.0\n20\n0.0\n30\n0.0\n3\n" + name + "\n1\n\n";
        t += "0\nENDBLK\n5\n" + e + "\n330\n" + owner + "\n100\nAcDbEntity\n8\n0\n100\nAcDbBlockEnd\n";
    };
    block(msBlock, msEnd, ms, "*Model_Space");
    block(psBlock, psEnd, paper, "*Paper_Space");
    t += "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n";
    t += "0\nDICTIONARY\n5\n" + h(db->namedObjectsDictionaryId()) + "\n330\n0\n100\nAcDbDictionary\n281\n1\n3\nACAD_GROUP\n350\n" +
         h(db->groupDictionaryId()) + "\n";
    t += "0\nDICTIONARY\n5\n" + h(db->groupDictionaryId()) + "\n330\n" + h(db->namedObjectsDictionaryId()) +
         "\n100\nAcDbDictionary\n281\n1\n0\nENDSEC\n0\nEOF\n";
    std::unique_ptr<char[]> bytes(new char[t.size()]);
    std::memcpy(bytes.get(), t.data(), t.size());
    Scan(std::move(bytes), t.size(), out);
    FileImage& img = *out.image;
    img.reserved = next;
    img.loadEnd = 1;
    for (Record& r : img.records)
        if (r.role == Role::Block || r.role == Role::EndBlk) r.aux = 0;
    auto bind = [&](std::uint32_t record, AcDbObjectId id) {
        if (!record) return;
        const auto slot = static_cast<std::uint32_t>(id.handle());
        img.records[record].slot = slot;
        if (img.recordOfSlot.size() <= slot) img.recordOfSlot.resize(slot + 1, 0);
        img.recordOfSlot[slot] = record;
    };
    for (std::uint32_t i = 1; i < img.records.size(); ++i) {
        const Record& r = img.records[i];
        if (r.role == Role::Table && r.aux == static_cast<std::uint32_t>(TableKind::DimStyle) && !dimTableId.isNull())
            bind(i, dimTableId);
        if (r.type == "DIMSTYLE" && !dimStdId.isNull()) bind(i, dimStdId);
    }
    bind(out.rootDict, db->namedObjectsDictionaryId());
    bind(out.groupDict, db->groupDictionaryId());
    out.entities.clear();
    out.tableRecords.clear();
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
