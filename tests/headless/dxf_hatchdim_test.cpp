// Hatches, dimensions and dimension styles of real drawings: read into the
// host's classes and written from them (binary output copies nothing as
// read) with every tag kept; what cannot be modelled is kept as read.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <ostream>

#include "dbdim.h"
#include "dbhatch.h"
#include "dxf_support.h"
#include "dxf_tags.h"
#include "host_fixture.h"

namespace {

using namespace dxftest;
using host::dxf::DxfError;
using host::dxf::DxfReport;

std::string Corpus(const char* file) { return FileText(std::string(DROVIK_TEST_DATA_DIR) + "/dxf-corpus/" + file); }

dxftags::Drawing Parsed(const std::string& bytes) {
    std::vector<dxftags::Tag> tags;
    std::string why;
    EXPECT_TRUE(dxftags::ParseTags(bytes, tags, why)) << why;
    return dxftags::Records(tags);
}

bool Warned(const DxfReport& r, const std::string& text) {
    for (const auto& w : r.warnings)
        if (w.find(text) != std::string::npos) return true;
    return false;
}

struct CorpusCase {
    const char* file;
    int hatches, dimensions;  // modelled, as the file holds them in model space
};
// Test output names the drawing rather than the case's bytes.
void PrintTo(const CorpusCase& c, std::ostream* os) { *os << c.file; }

class DxfHatchDimCorpus : public HostTest, public ::testing::WithParamInterface<CorpusCase> {};

TEST_P(DxfHatchDimCorpus, ModelledAndWrittenFromTheModelKeepingEveryTag) {
    const CorpusCase& c = GetParam();
    const std::string input = Corpus(c.file);
    ASSERT_FALSE(input.empty()) << c.file;
    DxfError err;
    DxfReport report;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(input.data(), input.size(), Db(), err, &report)) << err.what();
    int hatches = 0, dimensions = 0;
    for (const auto& id : host::harness::ModelSpaceIds(Db())) {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
        hatches += AcDbHatch::cast(e) ? 1 : 0;
        dimensions += AcDbDimension::cast(e) ? 1 : 0;
        e->close();
    }
    EXPECT_EQ(hatches, c.hatches);
    EXPECT_EQ(dimensions, c.dimensions);
    host::dxf::DxfWriteOptions binary;
    binary.format = host::dxf::DxfWriteOptions::Format::Binary;
    std::string out;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err, binary)) << err.what();
    dxftags::CompareOptions opts;
    opts.maxReports = 100000;
    std::vector<std::string> diffs;
    for (const auto& d : dxftags::Compare(Parsed(input), Parsed(out), opts))
        if (d.find("HATCH ") != std::string::npos || d.find("DIMENSION ") != std::string::npos ||
            d.find("DIMSTYLE") != std::string::npos)
            diffs.push_back(d);
    EXPECT_TRUE(diffs.empty()) << c.file << ":\n" << dxftags::Joined(diffs);
}

// Only the records of these kinds are compared: the others have tests of
// their own. Counts as ezdxf finds them: HATCH and DIMENSION entities of model space
// (angular and ordinate dimensions stay kept, so they are not counted).
INSTANTIATE_TEST_SUITE_P(
    Corpus, DxfHatchDimCorpus,
    ::testing::Values(CorpusCase{"mozman__ezdxf/examples_dxf__hatches_1.dxf", 10, 0},
                      CorpusCase{"mozman__ezdxf/examples_dxf__hatches_2.dxf", 2, 0},
                      CorpusCase{"mozman__ezdxf/examples_dxf__hatch_issues.dxf", 4, 0},
                      CorpusCase{"mozman__ezdxf/examples_dxf__uncommon.dxf", 0, 6},
                      CorpusCase{"DomCR__ACadSharp/samples__sample_AC1015_ascii.dxf", 8, 7},
                      CorpusCase{"DomCR__ACadSharp/samples__sample_AC1032_ascii.dxf", 8, 7},
                      CorpusCase{"gdsestimating__dxf-parser/samples__data__api-cw750-details.dxf", 65, 286}),
    [](const ::testing::TestParamInfo<CorpusCase>& i) {
        std::string name = i.param.file;
        name = name.substr(name.find('/') + 1, name.rfind('.') - name.find('/') - 1);
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

class DxfHatchDim : public HostTest {
protected:
    static std::string Drawing(const std::string& entities) {
        return "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n" +
               entities + "  0\nENDSEC\n  0\nEOF\n";
    }
    static std::string Hatch(const std::string& loops) {
        return "  0\nHATCH\n  5\nA0\n100\nAcDbEntity\n  8\n0\n100\nAcDbHatch\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
               "210\n0.0\n220\n0.0\n230\n1.0\n  2\nSOLID\n 70\n1\n 71\n0\n" +
               loops + " 75\n0\n 76\n1\n 98\n0\n";
    }
};

TEST_F(DxfHatchDim, HatchThatCannotBeModelledIsKeptAsReadWithTheCause) {
    const struct {
        const char* loops;
        const char* cause;
    } cases[] = {
        {" 91\n1\n 92\n0\n 93\n1\n 72\n9\n 10\n0.0\n 20\n0.0\n 97\n0\n", "edge of unknown type"},
        {" 91\n1\n 92\n2\n 72\n0\n 73\n1\n 93\n1\n 10\n1.0\n 20\n2.0\n 97\n0\n", "does not fit the host's hatch"},
        {" 91\n1\n 92\n2\n 72\n0\n 73\n1\n 93\n3\n 10\nx\n 20\n0.0\n 10\n1.0\n 20\n0.0\n 10\n1.0\n 20\n1.0\n 97\n0\n",
         "is not a number"},
    };
    for (const auto& c : cases) {
        host::harness::ResetHost();
        const std::string dxf = Drawing(Hatch(c.loops));
        DxfError err;
        DxfReport report;
        ASSERT_TRUE(host::dxf::ReadDxfBuffer(dxf.data(), dxf.size(), Db(), err, &report)) << err.what();
        EXPECT_EQ(report.kept["HATCH"], 1) << c.cause;
        EXPECT_TRUE(Warned(report, c.cause)) << c.cause;
        std::string out;
        ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err)) << err.what();
        EXPECT_NE(out.find(c.loops), std::string::npos) << "written back as read: " << c.cause;
    }
}

// Regression: erasing the polyline an associative hatch was made from left
// the hatch's loop referring to a handle no longer in the file.
TEST_F(DxfHatchDim, ErasedSourceOfAnAssociativeHatchIsNotReferred) {
    auto* outline = new AcDbPolyline(3);
    outline->addVertexAt(0, AcGePoint2d(0, 0));
    outline->addVertexAt(1, AcGePoint2d(4, 0));
    outline->addVertexAt(2, AcGePoint2d(4, 3));
    outline->setClosed(true);
    const AcDbObjectId outlineId = Add(outline);
    auto* h = new AcDbHatch;
    h->setAssociative(true);
    AcDbObjectIdArray ids;
    ids.append(outlineId);
    ASSERT_EQ(h->appendLoop(AcDbHatch::kExternal, ids), Acad::eOk);
    Add(h);
    DxfError err;
    std::string out;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err)) << err.what();
    char handle[32];
    std::snprintf(handle, sizeof handle, "330\n%llX\n", static_cast<unsigned long long>(outlineId.handle()));
    EXPECT_NE(out.find(std::string(" 97\n1\n") + handle), std::string::npos) << "the source is named while it lives";
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, outlineId, AcDb::kForWrite), Acad::eOk);
    e->erase();
    e->close();
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err)) << err.what();
    EXPECT_EQ(out.find(handle), std::string::npos);
    EXPECT_NE(out.find(" 97\n0\n"), std::string::npos);
}

// A dimension whose block the file lacks is kept as read (a block made
// anew would not be what the file shows), with the cause.
TEST_F(DxfHatchDim, DimensionOfUndefinedBlockIsKeptAsRead) {
    const std::string record =
        "  0\nDIMENSION\n  5\nB0\n100\nAcDbEntity\n  8\n0\n100\nAcDbDimension\n  2\n*D9\n 10\n5.0\n 20\n-4.0\n"
        " 30\n0.0\n 11\n5.0\n 21\n-3.0\n 31\n0.0\n 70\n32\n 71\n5\n  3\nStandard\n100\nAcDbAlignedDimension\n"
        " 13\n0.0\n 23\n0.0\n 33\n0.0\n 14\n10.0\n 24\n0.0\n 34\n0.0\n 50\n0.0\n100\nAcDbRotatedDimension\n";
    const std::string dxf = Drawing(record);
    DxfError err;
    DxfReport report;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(dxf.data(), dxf.size(), Db(), err, &report)) << err.what();
    EXPECT_EQ(report.kept["DIMENSION"], 1);
    EXPECT_TRUE(Warned(report, "DIMENSION of undefined block '*D9': kept as read"));
    std::string out;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err)) << err.what();
    EXPECT_NE(out.find(record), std::string::npos) << "written back as read";
}

// Regression: blocks made after reading a drawing without a BLOCKS section
// (here a dimension's) were not written, so the dimension named a block the
// file did not have.
TEST_F(DxfHatchDim, DimensionMadeInADrawingWithoutBlocksSectionGetsItsBlockWritten) {
    const std::string dxf = Drawing("  0\nLINE\n  5\nA0\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n 10\n0.0\n 20\n0.0\n"
                                    " 30\n0.0\n 11\n1.0\n 21\n0.0\n 31\n0.0\n");
    DxfError err;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(dxf.data(), dxf.size(), Db(), err)) << err.what();
    const AcDbObjectId id =
        Add(new AcDbAlignedDimension(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(5, -4, 0)));
    std::string out;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err)) << err.what();
    AcDbAlignedDimension* d = nullptr;
    ASSERT_EQ(acdbOpenObject(d, id, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(d->needsDimensionBlock());
    const std::string block = Name(d->dimBlockId());
    d->close();
    EXPECT_EQ(block.compare(0, 2, "*D"), 0) << block;
    EXPECT_NE(out.find("BLOCKS"), std::string::npos);
    // Read back: the dimension is modelled with the block it names.
    AcDbDatabase back(true, true);
    DxfReport report;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(out.data(), out.size(), &back, err, &report)) << err.what();
    EXPECT_EQ(report.kept["DIMENSION"], 0);
    EXPECT_FALSE(Warned(report, "undefined block")) << out;
    const auto ids = host::harness::ModelSpaceIds(&back);
    ASSERT_EQ(ids.size(), 2u);
    ASSERT_EQ(acdbOpenObject(d, ids[1], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(Name(d->dimBlockId()), block);
    AcDbBlockTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, d->dimBlockId(), AcDb::kForRead), Acad::eOk);
    EXPECT_GE(rec->entityIds(false).size(), 6u) << "three lines, two arrowheads and the text";
    rec->close();
    d->close();
}

// Dimension styles of a drawing are modelled with their sizes; untouched
// ones are written back as read, a changed one with every code it had.
TEST_F(DxfHatchDim, DimensionStylesAreReadAndAChangedOneKeepsItsOtherCodes) {
    const std::string input = Corpus("DomCR__ACadSharp/samples__sample_AC1015_ascii.dxf");
    DxfError err;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(input.data(), input.size(), Db(), err)) << err.what();
    AcDbDimStyleTable* table = nullptr;
    ASSERT_EQ(Db()->getDimStyleTable(table, AcDb::kForRead), Acad::eOk);
    AcDbObjectId iso;
    ASSERT_EQ(table->getAt(L"ISO-25", iso), Acad::eOk);
    table->close();
    AcDbDimStyleTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, iso, AcDb::kForWrite), Acad::eOk);
    // ISO-25 is the metric style: 2.5 units text and arrows.
    EXPECT_DOUBLE_EQ(rec->dimtxt(), 2.5);
    EXPECT_DOUBLE_EQ(rec->dimasz(), 2.5);
    EXPECT_EQ(rec->setDimtxt(3.5), Acad::eOk);
    rec->close();
    std::string out;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err)) << err.what();
    dxftags::Drawing in = Parsed(input);
    auto diffs = dxftags::Compare(in, Parsed(out), dxftags::CompareOptions());
    ASSERT_EQ(diffs.size(), 1u) << dxftags::Joined(diffs);
    EXPECT_NE(diffs[0].find("140"), std::string::npos) << diffs[0];
    EXPECT_NE(diffs[0].find("3.5"), std::string::npos) << diffs[0];
}

}  // namespace
