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

std::vector<BadFile> BadFiles() {
    const std::string h = kHead, t = kTail;
    return {
        {"empty file", "", "", "ends without 0/EOF"},
        {"ends after a group code", h + "0\nLINE\n8\n0\n10", "10", "ends after group code 10 (truncated)"},
        {"ends inside a section", h + "0\nLINE\n8\n0\n", "0", "ends inside section ENTITIES"},
        {"no EOF", h + "0\nENDSEC\n", "ENDSEC", "ends without 0/EOF"},
        {"code is a word", h + "0\nLINE\nabc\n0\n" + t, "abc", "expected a group code, found 'abc'"},
        {"unknown group code", h + "0\nLINE\n1234\n0\n" + t, "1234", "1234 is not a DXF group code"},
        {"word for a coordinate", h + "0\nLINE\n10\nx1\n" + t, "x1", "'x1' is not a number (group code 10)"},
        {"not finite", h + "0\nLINE\n20\nnan\n" + t, "nan", "not a finite number"},
        {"fraction for a colour", h + "0\nLINE\n62\n1.5\n" + t, "1.5", "'1.5' is not an integer (group code 62)"},
        {"colour out of range", h + "0\nLINE\n62\n300\n" + t, "300", "colour index 300 is out of range"},
        {"section inside a section", h + "0\nSECTION\n2\nTABLES\n" + t, "SECTION", "section ENTITIES is not closed"},
        {"ENDSEC without section", "0\nENDSEC\n0\nEOF\n", "ENDSEC", "expected SECTION or EOF, found 'ENDSEC'"},
        {"section without name", "0\nSECTION\n8\nX\n", "SECTION", "SECTION without a name"},
        {"absurd vertex count",
         h + "0\nLWPOLYLINE\n90\n1000000000\n10\n0\n20\n0\n10\n1\n20\n1\n" + t, "1000000000",
         "declares 1000000000 vertices but has 2"},
        {"absurd handle", h + "0\nLINE\n5\nFFFFFFF\n" + t, "FFFFFFF", "handle FFFFFFF is absurdly large"},
        {"handle out of range", h + "0\nLINE\n5\n1FFFFFFFFF\n" + t, "1FFFFFFFFF", "out of range"},
        {"handle used twice", h + "0\nLINE\n5\n2A\n0\nCIRCLE\n5\n2a\n40\n1\n" + t, "2a", "handle 2A is used twice"},
        {"vertex without polyline", h + "0\nVERTEX\n10\n0\n" + t, "VERTEX", "VERTEX outside a POLYLINE"},
        {"polyline without SEQEND", h + "0\nPOLYLINE\n70\n0\n0\nVERTEX\n10\n0\n0\nLINE\n" + t, "POLYLINE",
         "POLYLINE is not ended by SEQEND"},
        {"SEQEND alone", h + "0\nSEQEND\n" + t, "SEQEND", "SEQEND without POLYLINE or INSERT"},
        {"xdata braces", h + "0\nLINE\n1001\nACAD\n1002\n{\n" + t, "{", "braces are not balanced"},
        {"xdata control string", h + "0\nLINE\n1001\nACAD\n1002\n(\n" + t, "(", "must be '{' or '}'"},
        {"xdata point without y", h + "0\nLINE\n1001\nACAD\n1010\n1\n1040\n2\n" + t, "1", "has no Y"},
        {"code after xdata", h + "0\nLINE\n1001\nACAD\n10\n1\n" + t, "10", "group code 10 after extended data"},
        {"odd binary xdata", h + "0\nLINE\n1001\nACAD\n1004\nABC\n" + t, "ABC", "not whole bytes"},
        {"ellipse ratio", h + "0\nELLIPSE\n11\n1\n40\n0.0\n" + t, "0.0", "axis ratio 0.0 is out of range"},
        {"circle radius", h + "0\nCIRCLE\n40\n-2\n" + t, "-2", "CIRCLE radius must be positive"},
        {"text alignment", h + "0\nTEXT\n72\n9\n" + t, "9", "9 is out of range for group code 72"},
        {"table not closed", "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nENDSEC\n0\nEOF\n", "ENDSEC",
         "table LAYER is not closed"},
        {"layer twice",
         "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nA\n0\nLAYER\n2\na\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n",
         "a", "layer 'a' is defined twice"},
        {"bad layer name",
         "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\na<b\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n", "a<b",
         "not a valid layer name"},
        {"binary DXF", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), "", "binary DXF files are not supported"},
        {"byte-order mark and a short file", "\xEF\xBB\xBF" "0\nex\n\nE?C\n0\nEOF\n", "ex",
         "expected SECTION or EOF, found 'ex'"},
        {"block not closed", "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nENDSEC\n0\nEOF\n", "ENDSEC",
         "not closed by ENDBLK"},
    };
}

class DxfErrors : public HostTest {};

TEST_F(DxfErrors, BadFilesNameTheLineAndLeaveTheDrawingAlone) {
    const AcDbObjectId line = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    const std::string before = Snapshot(Db());
    for (const BadFile& bad : BadFiles()) {
        SCOPED_TRACE(bad.name);
        DxfError err;
        EXPECT_FALSE(host::dxf::ReadDxfBuffer(bad.text.data(), bad.text.size(), Db(), err));
        EXPECT_NE(err.message.find(bad.message), std::string::npos) << err.what();
        if (bad.name == std::string("empty file") || bad.name == std::string("binary DXF")) continue;
        const int expected = bad.marker.empty() ? 0 : LineOf(bad.text, bad.marker);
        EXPECT_EQ(err.line, expected) << err.what();
        EXPECT_EQ(err.what().rfind("line " + std::to_string(expected) + ": ", 0), 0u) << err.what();
    }
    EXPECT_TRUE(line.isValid());
    EXPECT_EQ(Snapshot(Db()), before);
}

TEST_F(DxfErrors, FailedOpenCreatesNoDocument) {
    AcApDocument* current = acDocManagerPtr()->curDocument();
    const int documents = host::harness::DocumentCount();
    const std::string path = UniqueTempPath("bad.dxf");
    { std::ofstream(path) << kHead << "0\nLINE\n10\nx\n" << kTail; }
    DxfError err;
    EXPECT_EQ(host::dxf::OpenDrawing(W(path).c_str(), err), nullptr);
    EXPECT_EQ(err.line, 8);
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
