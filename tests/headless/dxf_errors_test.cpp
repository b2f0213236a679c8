// Bad DXF files: a clear error naming the line, and nothing changed.
#include "headless/dxf_support.h"

using namespace dxftest;
using host::dxf::DxfError;

namespace {

// The 1-based number of the last line that is exactly `marker`.
int LineOf(const std::string& text, const std::string& marker) {
    std::istringstream in(text);
    std::string line;
    int found = -1;
    for (int n = 1; std::getline(in, line); ++n)
        if (line == marker) found = n;
    return found;
}

const char kHead[] = "0\nSECTION\n2\nENTITIES\n";
const char kTail[] = "0\nENDSEC\n0\nEOF\n";

struct BadFile {
    const char* name;
    std::string text;
    std::string marker;  // the line the error must name ("" : no line)
    const char* message;
};

// Files that are not DXF or end before any drawing content: refused.
std::vector<BadFile> RefusedFiles() {
    const std::string h = kHead;
    return {
        {"empty file", "", "", "not a DXF file"},
        {"text", "hello\nworld\n", "hello", "expected a group code, found 'hello'"},
        {"code is a word", h + "0\nLINE\nabc\n0\n" + kTail, "abc", "expected a group code, found 'abc'"},
        {"no content before the end", h + "0\nENDSEC\n", "", "ends before any drawing content"},
        {"section without name", "0\nSECTION\n8\nX\n", "", "ends before any drawing content"},
        {"byte-order mark and a short file", "\xEF\xBB\xBF" "0\nex\n0\nEOF\n", "", "not a DXF file"},
        {"binary sentinel alone", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), "", "not a DXF file"},
    };
}

// What real programs write that is not quite right: read, with a warning
// naming the line and the mend.
std::vector<BadFile> MendedFiles() {
    const std::string h = kHead, t = kTail;
    return {
        {"ends after a group code", h + "0\nLINE\n8\n0\n10", "", "cut off inside a record"},
        {"ends inside a section", h + "0\nLINE\n8\n0\n", "", "ends without 0/EOF"},
        {"word for a coordinate", h + "0\nLINE\n10\nx1\n" + t, "x1", "'x1' is not a number (group code 10): LINE kept as read"},
        {"unknown group code", h + "0\nLINE\n1234\n0\n" + t, "0", "group code 1234 is unknown: kept"},
        {"section inside a section", h + "0\nSECTION\n2\nTABLES\n" + t, "SECTION", "a section is not closed"},
        {"name for a handle", h + "0\nLINE\n5\nWALL\n" + t, "WALL", "'WALL' where a handle belongs"},
        {"handle 0", h + "0\nLINE\n5\n0\n" + t, "0", "handle 0: LINE gets a new handle"},
        {"handle used twice", h + "0\nLINE\n5\n2A\n0\nCIRCLE\n5\n2a\n40\n1\n" + t, "CIRCLE",
         "handle 2A is used twice: CIRCLE gets a new handle"},
        {"vertex without polyline", h + "0\nVERTEX\n10\n0\n" + t, "VERTEX", "VERTEX outside a sequence"},
        {"polyline without SEQEND", h + "0\nPOLYLINE\n70\n0\n0\nVERTEX\n10\n0\n0\nLINE\n" + t, "LINE",
         "POLYLINE is not ended by SEQEND"},
        {"xdata control string", h + "0\nLINE\n1001\nACAD\n1002\n(\n" + t, "(", "control string '('"},
        {"xdata point without y", h + "0\nLINE\n1001\nACAD\n1010\n1\n1040\n2\n" + t, "1", "is not three numbers"},
        {"odd binary xdata", h + "0\nLINE\n1001\nACAD\n1004\nABC\n" + t, "ABC", "is not hexadecimal"},
        {"ellipse ratio", h + "0\nELLIPSE\n11\n1\n40\n0.0\n" + t, "ELLIPSE", "axis ratio out of range"},
        {"circle radius", h + "0\nCIRCLE\n40\n-2\n" + t, "CIRCLE", "CIRCLE has no positive radius"},
        {"text alignment", h + "0\nTEXT\n72\n9\n" + t, "TEXT", "unknown justification"},
        {"table not closed", "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nENDSEC\n0\nEOF\n", "ENDSEC",
         "table is not closed by ENDTAB"},
        {"layer twice",
         "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nA\n0\nLAYER\n2\na\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n",
         "LAYER", "'a' is not a valid or new LAYER name: kept as read"},
        {"block not closed", "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nENDSEC\n0\nEOF\n", "ENDSEC",
         "not closed by ENDBLK"},
        {"layer undefined", h + "0\nLINE\n8\nWalls\n" + t, "LINE", "layer 'Walls' is not defined: layer created"},
        {"layer outside a table",
         "0\nSECTION\n2\nTABLES\n0\nLAYER\n2\nWalls\n70\n0\n62\n1\n6\nContinuous\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n",
         "LAYER", "LAYER outside a table: TABLE head added"},
    };
}

// The lines of the 0 tags of records named marker: the warning's line is
// the record's or the tag's.
bool NamesLine(const std::string& warning, const std::string& text, const std::string& marker) {
    if (marker.empty()) return warning.rfind("line ", 0) == 0;
    std::istringstream in(text);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n)
        if (line == marker && warning.rfind("line " + std::to_string(n) + ": ", 0) == 0) return true;
    return false;
}

class DxfErrors : public HostTest {};

TEST_F(DxfErrors, RefusedFilesNameTheLineAndLeaveTheDrawingAlone) {
    const AcDbObjectId line = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    const std::string before = Snapshot(Db());
    for (const BadFile& bad : RefusedFiles()) {
        SCOPED_TRACE(bad.name);
        DxfError err;
        EXPECT_FALSE(host::dxf::ReadDxfBuffer(bad.text.data(), bad.text.size(), Db(), err));
        EXPECT_NE(err.message.find(bad.message), std::string::npos) << err.what();
        if (!bad.marker.empty()) {
            EXPECT_EQ(err.line, LineOf(bad.text, bad.marker)) << err.what();
        }
    }
    EXPECT_TRUE(line.isValid());
    EXPECT_EQ(Snapshot(Db()), before);
}

TEST_F(DxfErrors, MendedFilesAreReadAndEachMendIsReported) {
    for (const BadFile& bad : MendedFiles()) {
        SCOPED_TRACE(bad.name);
        DxfError err;
        host::dxf::DxfReport report;
        ASSERT_TRUE(host::dxf::ReadDxfBuffer(bad.text.data(), bad.text.size(), Db(), err, &report)) << err.what();
        bool found = false;
        for (const auto& w : report.warnings)
            if (w.find(bad.message) != std::string::npos && NamesLine(w, bad.text, bad.marker)) found = true;
        std::string all;
        for (const auto& w : report.warnings) all += w + "\n";
        EXPECT_TRUE(found) << all;
        EXPECT_EQ(report.mends(), static_cast<int>(report.warnings.size()));
        // Strict reading refuses the same file, naming the mend.
        host::dxf::DxfReadOptions strict;
        strict.strict = true;
        EXPECT_FALSE(host::dxf::ReadDxfBuffer(bad.text.data(), bad.text.size(), Db(), err, nullptr, strict));
        EXPECT_NE(err.message.find(report.warnings.front()), std::string::npos) << err.what();
        // What was read writes and reads again without a new mend of that kind.
        std::string out;
        ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err)) << err.what();
        host::dxf::DxfReport again;
        ASSERT_TRUE(host::dxf::ReadDxfBuffer(out.data(), out.size(), Db(), err, &again)) << err.what();
    }
}

TEST_F(DxfErrors, FailedOpenCreatesNoDocument) {
    AcApDocument* current = acDocManagerPtr()->curDocument();
    const int documents = host::harness::DocumentCount();
    const std::string path = UniqueTempPath("bad.dxf");
    { std::ofstream(path) << "not\na drawing\n"; }
    DxfError err;
    EXPECT_EQ(host::dxf::OpenDrawing(W(path).c_str(), err), nullptr);
    EXPECT_EQ(err.line, 1);
    EXPECT_EQ(host::harness::DocumentCount(), documents);
    EXPECT_EQ(acDocManagerPtr()->curDocument(), current);
    std::remove(path.c_str());

    EXPECT_EQ(host::dxf::OpenDrawing(L"/no/such/file.dxf", err), nullptr);
    EXPECT_EQ(err.line, 0);
    EXPECT_NE(err.message.find("cannot open"), std::string::npos) << err.message;
    EXPECT_EQ(host::harness::DocumentCount(), documents);
}

TEST_F(DxfErrors, ReadingRefusesADrawingWithOpenObjects) {
    const AcDbObjectId id = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForRead), Acad::eOk);
    const std::string text = std::string(kHead) + kTail;
    DxfError err;
    EXPECT_FALSE(host::dxf::ReadDxfBuffer(text.data(), text.size(), Db(), err));
    EXPECT_NE(err.message.find("open objects"), std::string::npos);
    e->close();
    EXPECT_TRUE(id.isValid());
    EXPECT_FALSE(host::dxf::ReadDxfBuffer(text.data(), text.size(), nullptr, err));
}

TEST_F(DxfErrors, EveryPrefixOfAGoodFileFailsCleanlyOrReads) {
    MakeSample(Db());
    std::string text;
    DxfError err;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), text, err));
    host::harness::NewDocument(L"scratch");
    int failures = 0;
    for (std::size_t n = 1; n < text.size(); n += 97) {
        if (host::dxf::ReadDxfBuffer(text.data(), n, Db(), err)) continue;
        ++failures;
        EXPECT_GT(err.line, 0) << "prefix " << n << ": " << err.what();
    }
    EXPECT_GT(failures, 0);
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(text.data(), text.size(), Db(), err)) << err.what();
}

}  // namespace
