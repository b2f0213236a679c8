// DXF round trips: ours to ours, ours to ezdxf to ours, ezdxf to ours.
#include <unistd.h>

#include <filesystem>

#include <aced.h>
#include <dbkept.h>
#include <dxfrecords.h>

#include "headless/dxf_support.h"

using namespace dxftest;
using host::dxf::DxfError;
using host::dxf::DxfReport;

namespace {

class DxfRoundTrip : public HostTest {
protected:
    void TearDown() override {
        for (const auto& f : m_files) std::remove(f.c_str());
        HostTest::TearDown();
    }
    std::string Temp(const std::string& name) {
        m_files.push_back(UniqueTempPath(name));
        return m_files.back();
    }
    // Loads the file into a new document's database.
    AcDbDatabase* Load(const std::string& path, DxfReport* report = nullptr) {
        DxfError err;
        AcApDocument* doc = host::dxf::OpenDrawing(W(path).c_str(), err, report);
        EXPECT_NE(doc, nullptr) << err.what();
        return doc ? doc->database() : nullptr;
    }
    // Reads DXF text into the current drawing.
    static ::testing::AssertionResult Read(const std::string& text, DxfReport* report = nullptr) {
        DxfError err;
        if (host::dxf::ReadDxfBuffer(text.data(), text.size(), Db(), err, report)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << err.what();
    }
    // Reads a drawing of the version holding the one entity record; its id,
    // null (with a failure) when it needed a mend or holds another count.
    static AcDbObjectId ReadAloneWithoutMends(const std::string& version, const std::string& record) {
        const std::string text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n" + version + "\n0\nENDSEC\n"
                                 "0\nSECTION\n2\nENTITIES\n" + record + "0\nENDSEC\n0\nEOF\n";
        DxfReport report;
        EXPECT_TRUE(Read(text, &report));
        EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();
        const auto ids = host::harness::ModelSpaceIds();
        EXPECT_EQ(ids.size(), 1u);
        return report.warnings.empty() && ids.size() == 1 ? ids[0] : AcDbObjectId::kNull;
    }
    std::vector<std::string> m_files;
};

TEST_F(DxfRoundTrip, OursToOursKeepsEverythingAndTheHandlesButErasedObjects) {
    MakeSample(Db());
    EraseObject(AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 0, 0)));  // not written, so not in the copy
    const std::string before = Snapshot(Db());
    const std::string file = Temp("ours.dxf");
    DxfError err;
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(file).c_str(), err)) << err.what();
    DxfReport report;
    AcDbDatabase* loaded = Load(file, &report);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Snapshot(loaded), before);
    EXPECT_EQ(report.version, "AC1032");
    EXPECT_EQ(report.skippedTotal(), 0);
    EXPECT_TRUE(report.warnings.empty()) << report.warnings.front();

    // A second generation is the same drawing again.
    const std::string again = Temp("ours2.dxf");
    ASSERT_TRUE(host::dxf::WriteDxf(loaded, W(again).c_str(), err)) << err.what();
    AcDbDatabase* second = Load(again);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Snapshot(second), before);
}

TEST_F(DxfRoundTrip, NewObjectsAfterLoadStartAtTheHandleSeed) {
    MakeSample(Db());
    std::string text;
    DxfError err;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), text, err)) << err.what();
    const std::size_t at = text.find("$HANDSEED\n  5\n");
    ASSERT_NE(at, std::string::npos);
    const unsigned long seed = std::stoul(text.substr(at + 14), nullptr, 16);
    ASSERT_TRUE(Read(text));
    const AcDbObjectId id = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    EXPECT_GE(id.handle(), seed);
}

TEST_F(DxfRoundTrip, ReadingReplacesTheDrawingAndInvalidatesOldIds) {
    const AcDbObjectId old = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    DxfError err;
    const std::string file = DataPath("ezdxf_R2018.dxf");
    ASSERT_TRUE(host::dxf::ReadDxf(W(file).c_str(), Db(), err)) << err.what();
    EXPECT_FALSE(old.isValid());
    EXPECT_TRUE(Db()->modelSpaceId().isValid());
    // The nine modelled entities and the four kept as read (POINT, INSERT, HATCH, MTEXT).
    EXPECT_EQ(host::harness::ModelSpaceIds().size(), 13u);
}

TEST_F(DxfRoundTrip, OursThroughEzdxfAndBackKeepingChineseTextByteForByte) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf (install python3-ezdxf)";
    MakeSample(Db());
    // ezdxf neither writes code 60 back nor keeps the order of group members.
    SnapshotOptions ezdxf;
    ezdxf.visibility = false;
    ezdxf.groupOrder = false;
    const std::string before = Snapshot(Db(), ezdxf);
    const std::string ours = Temp("rt.dxf");
    const std::string theirs = Temp("rt_ezdxf.dxf");
    DxfError err;
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(ours).c_str(), err)) << err.what();
    std::string errors;
    ASSERT_EQ(RunPython(InteropScript("ezdxf_roundtrip.py") + " " + ours + " " + theirs, errors), 0) << errors;
    const std::string bytes = FileText(theirs);
    for (const char* s : {"井1 宋体", "宋体", "仿宋", "墙", "井组"}) EXPECT_NE(bytes.find(s), std::string::npos) << s;
    DxfReport report;
    AcDbDatabase* loaded = Load(theirs, &report);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(WithoutEzdxfAdditions(Snapshot(loaded, ezdxf)), before);
    EXPECT_EQ(report.skippedTotal(), 0);
    // And ezdxf accepts what we write of what it wrote.
    const std::string back = Temp("rt_back.dxf");
    ASSERT_TRUE(host::dxf::WriteDxf(loaded, W(back).c_str(), err));
    EXPECT_EQ(RunPython(InteropScript("ezdxf_roundtrip.py") + " " + back, errors), 0) << errors;
}

TEST_F(DxfRoundTrip, EzdxfFixturesReadWithEveryModelledFeature) {
    struct Case {
        const char* file;
        const char* version;
        std::size_t entities;
        bool hasGroups;
    };
    // Entities of block definitions are modelled and counted (a line here),
    // and so is the hatch.
    for (const Case& c : {Case{"ezdxf_R12.dxf", "AC1009", 9, false}, Case{"ezdxf_R2000.dxf", "AC1015", 14, true},
                          Case{"ezdxf_R2018.dxf", "AC1032", 14, true}}) {
        SCOPED_TRACE(c.file);
        DxfReport report;
        AcDbDatabase* db = Load(DataPath(c.file), &report);
        ASSERT_NE(db, nullptr);
        EXPECT_EQ(report.version, c.version);
        EXPECT_EQ(static_cast<std::size_t>(report.entities), c.entities);
        const std::string snap = Snapshot(db);
        ExpectHas(snap, {
            "LAYER 墙 #",
            " colour 3 linetype DASHED locked",
            "LAYER Off #",
            "colour 5 linetype Continuous off",
            "colour 1 linetype Continuous frozen",
            "LTYPE DASHED #",
            "'Dashed __ __'",
            "STYLE 仿宋 #",
            "font '宋体'",
            "width 0.8",
            "APPID DROVIK",
            "AcDbLine #",
            "layer 墙 lt ByLayer colour 1 visible (0,0,0) (10,5,0) 1001=DROVIK 1000=井1 1002={ 1070=7 1071=123456 "
            "1040=2.5 1041=3.5 1042=0.5 1010=(1,2,3) 1011=(4,5,6) 1012=(7,8,9) 1013=(0,0,1) 1003=墙 1004=DEADBEEF "
            "1002=}",
            "AcDbCircle #",
            "layer Off lt DASHED colour 256 visible (20,20,0) r 5 n (0,0,1)",
            "colour 0 visible (30,0,0) r 4 0.523598775598..5.23598775598 n (0,0,1)",
            "'井1' at (0,30,0) align (0,30,0) h 2.5 rot 0.523598775598 width 0.7 oblique 0 modes 1/2 style 仿宋",
            "layer Frozen lt ByLayer colour 256 visible type 0 closed elev 0 [(0,0,0)",
            " b 0.5 w 0.1/0.2 t 0]",
            " b -0.25 w 0.3/0.3 t 0]",
            "type 2 open",
        });
        if (c.hasGroups) {
            ExpectHas(snap, {"AcDbEllipse", "major (10,2,0) ratio 0.5 0..3.14159265359",
                             "closed elev 0 cw 0.2 [0,0 b 0.5 w 0.1/0.2] [5,0 b 0 w -1/-1] [5,5 b -0.25 w 0.3/0.3]",
                             "AcDbWipeout #", "visible (0,0,0) (10,0,0) (10,5,0) (2.5,7,0)\n", "GROUP PAIR #",
                             "'井组' selectable #"});
            EXPECT_EQ(report.kept["HATCH"], 0) << "HATCH is modelled";
            EXPECT_EQ(report.kept["MTEXT"], 0) << "MTEXT is modelled";
        }
        // Nothing is left out any more: what the host does not model is kept.
        EXPECT_EQ(report.skippedTotal(), 0);
        EXPECT_EQ(report.kept["POINT"], 0) << "POINT is modelled";
        EXPECT_EQ(report.kept["INSERT"], 0) << "INSERT is modelled";
        EXPECT_EQ(report.kept["LINE"], 1) << "the line of paper space";
    }
}

TEST_F(DxfRoundTrip, HandTypedR12WithoutHandlesAndMendedReferences) {
    // No header, no tables: the oldest kind of file, entities only.
    const std::string text =
        "0\nSECTION\n2\nENTITIES\n"
        "0\nLINE\n8\nNEW\n6\nNOSUCH\n10\n1\n20\n2\n11\n3\n21\n4\n"
        "0\nTEXT\n8\n0\n10\n0\n20\n0\n40\n1\n1\nx\n7\nNOSTYLE\n"
        "0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n1\n210\n0\n220\n0\n230\n-1\n"
        "0\nARC\n8\n0\n10\n2\n20\n0\n40\n1\n50\n0\n51\n90\n210\n0\n220\n0\n230\n-1\n"
        "1001\nUNREG\n1000\nv\n"
        "0\nENDSEC\n0\nEOF\n";
    DxfReport report;
    ASSERT_TRUE(Read(text, &report));
    ASSERT_EQ(report.warnings.size(), 4u);
    EXPECT_NE(report.warnings[0].find("UNREG"), std::string::npos) << report.warnings[0];
    // Mirrored circle and arc are read as their +Z twins: the centre's x
    // changes sign and the arc runs from 90 to 180 degrees.
    ExpectHas(Snapshot(Db()), {"LAYER NEW", "layer NEW lt ByLayer", "style Standard", "(0,0,0) r 1 n (0,0,1)",
                               "(-2,0,0) r 1 1.57079632679..3.14159265359 n (0,0,1) 1001=UNREG 1000=v"});
    for (const auto& id : host::harness::ModelSpaceIds()) EXPECT_GT(id.handle(), 0u);
}

TEST_F(DxfRoundTrip, R2000CodePageAndUnicodeEscapes) {
    const std::string header =
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_936\n0\nENDSEC\n";
    const struct {
        const char* name;
        std::string text;
        Adesk::UInt64 handle;  // 0: none given
        const wchar_t* expected;
    } cases[] = {
        // GBK bytes of "井" (BE AE) and an escaped "宋" in a file of code page 936.
        {"header first",
         header + "0\nSECTION\n2\nENTITIES\n0\nTEXT\n5\n2A\n8\n0\n10\n0\n20\n0\n40\n1\n1\n\xBE\xAE\\U+5b8b ^J^ \n"
                  "0\nENDSEC\n0\nEOF\n",
         0x2A, L"井宋 \n^"},
        // The text is decoded before the late header is seen; the header then
        // replaces the decoder without leaking the first one.
        {"header after the entities", "0\nSECTION\n2\nENTITIES\n0\nTEXT\n1\n\\U+4E95\n0\nENDSEC\n" + header + "0\nEOF\n",
         0, L"井"},
    };
    for (const auto& tc : cases) {
        DxfReport report;
        ASSERT_TRUE(Read(tc.text, &report)) << tc.name;
        EXPECT_EQ(report.version, "AC1015") << tc.name;
        const auto ids = host::harness::ModelSpaceIds();
        ASSERT_EQ(ids.size(), 1u) << tc.name;
        if (tc.handle) {
            EXPECT_EQ(ids[0].handle(), tc.handle) << tc.name;
        }
        AcDbText* t = nullptr;
        ASSERT_EQ(acdbOpenObject(t, ids[0], AcDb::kForRead), Acad::eOk) << tc.name;
        EXPECT_EQ(std::wstring(t->textStringConst()), tc.expected) << tc.name;
        t->close();
    }
}

// Broke under Wine: the code page conversion took Windows' "best fit" and
// wrote U+2205 (empty set) as 0xD8 (O with stroke) instead of its escape.
TEST_F(DxfRoundTrip, CharactersTheCodePageLacksAreWrittenAsEscapes) {
    const std::string text =
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_1252\n0\nENDSEC\n"
        "0\nSECTION\n2\nENTITIES\n0\nTEXT\n5\n2A\n8\n0\n10\n0\n20\n0\n40\n1\n1\n\\U+2205 \xD8 \\U+4E95\n"
        "0\nENDSEC\n0\nEOF\n";
    DxfReport report;
    ASSERT_TRUE(Read(text, &report));
    // Set anew, so the text is encoded rather than written back as read.
    const auto ids = host::harness::ModelSpaceIds();
    ASSERT_EQ(ids.size(), 1u);
    AcDbText* t = nullptr;
    ASSERT_EQ(acdbOpenObject(t, ids[0], AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(std::wstring(t->textStringConst()), L"\u2205 \u00D8 \u4E95");
    t->setTextString(L"\u2205 \u00D8 \u4E95!");
    t->close();
    const std::string file = Temp("escapes.dxf");
    DxfError err;
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(file).c_str(), err)) << err.what();
    EXPECT_NE(FileText(file).find("\n\\U+2205 \xD8 \\U+4E95!\n"), std::string::npos);
}

TEST_F(DxfRoundTrip, WritingRefusesNonFiniteNumbersAndLeavesTheFileAlone) {
    DxfError err;
    EXPECT_FALSE(host::dxf::WriteDxf(Db(), L"/nonexistent-dir/x.dxf", err));
    EXPECT_NE(err.what().find("cannot write"), std::string::npos) << err.what();
    const std::string file = Temp("keep.dxf");
    { std::ofstream(file) << "old content"; }
    Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(std::nan(""), 1, 0)));
    EXPECT_FALSE(host::dxf::WriteDxf(Db(), W(file).c_str(), err));
    EXPECT_NE(err.what().find("not finite"), std::string::npos) << err.what();
    EXPECT_EQ(FileText(file), "old content");
}

TEST_F(DxfRoundTrip, AfterReadingSelectionAndUndoSeeOnlyTheNewContent) {
    const AcDbObjectId old = AddLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    ads_name ss;
    ASSERT_EQ(acedSSGet(L"x", nullptr, nullptr, nullptr, ss), RTNORM);  // the editor indexes the drawing
    acedSSFree(ss);
    // The new line takes the old line's handle, far away from it.
    char buf[200];
    std::snprintf(buf, sizeof buf,
                  "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n%llX\n8\n0\n10\n500\n20\n500\n11\n501\n21\n501\n"
                  "0\nENDSEC\n0\nEOF\n",
                  static_cast<unsigned long long>(old.handle()));
    ASSERT_TRUE(Read(buf));
    ASSERT_EQ(acedSSGet(L"x", nullptr, nullptr, nullptr, ss), RTNORM);
    long n = 0;
    acedSSLength(ss, &n);
    EXPECT_EQ(n, 1);
    ads_name first;
    ASSERT_EQ(acedSSName(ss, 0, first), RTNORM);
    AcDbObjectId id;
    ASSERT_EQ(acdbGetObjectId(id, first), Acad::eOk);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(line->startPoint(), AcGePoint3d(500, 500, 0));
    line->close();
    acedSSFree(ss);
    // Reading is no undoable change of the old content.
    acedCommand(RTSTR, L"_.UNDO", RTSTR, L"1", 0);
    EXPECT_EQ(host::harness::ModelSpaceIds().size(), 1u);
}

// A drawing whose output is many times the chunk the file writer moves out
// of memory at once: the file holds what the string writer makes (apart
// from the header's update dates), in both formats, and no temporary is
// left beside it.
TEST_F(DxfRoundTrip, LargeDrawingWrittenInChunksMatchesTheStringWriter) {
    const int count = 60000;
    for (int i = 0; i < count; ++i)
        Add(new AcDbLine(AcGePoint3d(i * 0.5, i % 97, 0), AcGePoint3d(i * 0.5 + 3.25, (i * 7) % 101, 0)));
    for (const auto format : {host::dxf::DxfWriteOptions::Format::Ascii, host::dxf::DxfWriteOptions::Format::Binary}) {
        SCOPED_TRACE(format == host::dxf::DxfWriteOptions::Format::Ascii ? "ascii" : "binary");
        host::dxf::DxfWriteOptions opts;
        opts.format = format;
        DxfError err;
        std::string text;
        ASSERT_TRUE(host::dxf::WriteDxfString(Db(), text, err, opts)) << err.what();
        ASSERT_GT(text.size(), std::size_t(3) << 20);
        const std::string file = Temp("large.dxf");
        ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(file).c_str(), err, opts)) << err.what();
        const std::string written = FileText(file);
        // The first section is the header; all after it must match exactly.
        const std::size_t a = text.find("ENDSEC"), b = written.find("ENDSEC");
        ASSERT_NE(a, std::string::npos);
        ASSERT_NE(b, std::string::npos);
        EXPECT_EQ(text.substr(0, 64), written.substr(0, 64));
        EXPECT_TRUE(text.compare(a, std::string::npos, written, b, std::string::npos) == 0)
            << "sizes " << text.size() << " and " << written.size();
        // Either separator: temporary paths on Windows use backslashes.
        const std::filesystem::path path(file);
        const std::string base = path.filename().string();
        for (const auto& entry : std::filesystem::directory_iterator(path.parent_path())) {
            const std::string name = entry.path().filename().string();
            if (name.compare(0, base.size(), base) == 0) {
                EXPECT_EQ(name, base) << "left beside the drawing";
            }
        }
        AcDbDatabase* db = Load(file);
        ASSERT_NE(db, nullptr);
        std::size_t lines = 0;
        for (const AcDbObjectId& id : host::harness::ModelSpaceIds(db)) {
            AcDbLine* line = nullptr;
            if (acdbOpenObject(line, id, AcDb::kForRead) != Acad::eOk) continue;
            ++lines;
            line->close();
        }
        EXPECT_EQ(lines, static_cast<std::size_t>(count));
    }
}

// Entities kept as read are bounded by the points their file gives (in the
// plane); one under another extrusion direction has no extents.
TEST_F(DxfRoundTrip, KeptEntitiesAreBoundedByTheirPoints) {
    struct Case {
        const char* body;  // tags after the 0 tag and the layer
        bool bounded;
        double x0, y0, x1, y1;
        const char* type = "ACME_SHAPE";
    };
    const Case cases[] = {
        {"10\n3\n20\n-2\n", true, 3, -2, 3, -2},
        {"10\n3\n20\n-2\n11\n-7.5\n21\n4\n12\n1\n22\n9\n", true, -7.5, -2, 3, 9},
        {"10\n3\n20\n-2\n11\n8\n21\n4\n210\n0\n220\n1\n230\n0\n", false, 0, 0, 0, 0},
        {"40\n2.5\n", false, 0, 0, 0, 0},
        // An image's other points are pixel vectors, its size and its clip
        // boundary in pixels: only its corner is a place.
        {"10\n30\n20\n1\n11\n0.01\n21\n0\n12\n0\n22\n0.01\n13\n500\n23\n200\n14\n-0.5\n24\n-0.5\n", true, 30, 1,
         30, 1, "IMAGE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const std::string text = std::string("0\nSECTION\n2\nENTITIES\n0\n") + c.type + "\n5\n1F\n8\n0\n" + c.body +
                                 "0\nENDSEC\n0\nEOF\n";
        ASSERT_TRUE(Read(text));
        const auto ids = host::harness::ModelSpaceIds();
        ASSERT_EQ(ids.size(), 1u);
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, ids[0], AcDb::kForRead), Acad::eOk);
        AcDbExtents ext;
        const Acad::ErrorStatus es = e->getGeomExtents(ext);
        e->close();
        if (!c.bounded) {
            EXPECT_NE(es, Acad::eOk);
            continue;
        }
        ASSERT_EQ(es, Acad::eOk);
        const double got[6] = {ext.minPoint().x, ext.minPoint().y, ext.minPoint().z,
                               ext.maxPoint().x, ext.maxPoint().y, ext.maxPoint().z};
        const double want[6] = {c.x0, c.y0, 0, c.x1, c.y1, 0};
        for (int k = 0; k < 6; ++k) EXPECT_EQ(got[k], want[k]) << k;
    }
}

// Valid data the host does not model is kept as read without a mend, so
// that --strict takes the file.
TEST_F(DxfRoundTrip, ValidRecordsTheHostDoesNotModelAreNoMends) {
    const struct {
        const char* name;
        std::string record;
    } cases[] = {
        {"polyline in a tilted plane", "0\nLWPOLYLINE\n5\n2C\n8\n0\n100\nAcDbPolyline\n90\n2\n70\n0\n10\n0\n20\n0\n10\n5\n"
                                       "20\n0\n210\n0\n220\n1\n230\n0\n"},
        {"text in columns", "0\nMTEXT\n5\n2C\n8\n0\n100\nAcDbMText\n10\n1\n20\n2\n30\n0\n40\n2\n71\n1\n1\nA\\PB\n"
                            "101\nEmbedded Object\n70\n1\n10\n1\n20\n0\n30\n0\n"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        const AcDbObjectId id = ReadAloneWithoutMends("AC1032", tc.record);
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
        EXPECT_NE(AcDbKeptEntity::cast(e), nullptr);
        e->close();
    }
}

// ezdxf and others write splines by their fit points alone: valid DXF, so
// no mend (--strict took them for faults), kept as written, and drawn
// through those points.
TEST_F(DxfRoundTrip, SplineGivenByFitPointsAloneIsNoFaultAndHasItsCurve) {
    const std::string spline =
        "0\nSPLINE\n5\n2B\n100\nAcDbEntity\n8\n0\n100\nAcDbSpline\n70\n0\n71\n3\n72\n0\n73\n0\n74\n4\n"
        "11\n0.0\n21\n0.0\n31\n0.0\n11\n1.0\n21\n2.0\n31\n0.0\n11\n3.0\n21\n1.0\n31\n0.0\n"
        "11\n4.0\n21\n3.0\n31\n0.0\n";
    const AcDbObjectId id = ReadAloneWithoutMends("AC1015", spline);
    AcDbKeptEntity* kept = nullptr;
    ASSERT_EQ(acdbOpenObject(kept, id, AcDb::kForRead), Acad::eOk);
    std::unique_ptr<AcDbEntity> model(host::dxf::ModelKeptEntity(kept));
    kept->close();
    auto* curve = AcDbSpline::cast(model.get());
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->numFitPoints(), 4);
    const AcGePoint3d fit[] = {{0, 0, 0}, {1, 2, 0}, {3, 1, 0}, {4, 3, 0}};
    for (const AcGePoint3d& p : fit) {
        AcGePoint3d on;
        ASSERT_EQ(curve->getClosestPointTo(p, on), Acad::eOk);
        EXPECT_LT(on.distanceTo(p), 1e-9) << p.x << "," << p.y;
    }
    const std::string file = Temp("fit-spline.dxf");
    DxfError err;
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(file).c_str(), err)) << err.what();
    EXPECT_NE(FileText(file).find(spline), std::string::npos);
}

}  // namespace
