// The filtered interactive pick, driven by scripted input.
#include <acutads.h>

#include "chains/entity_checks.h"
#include "drovik/chains/select.h"
#include "editor/editor_fixture.h"

namespace {
const wchar_t kMissed[] = L"\n没有选中指定实体，请重选!";
}  // namespace

class SelectOneTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        host::harness::SetView(AcGePoint3d(0, 0, 0), 206);  // pick window 0.177 from the point
        SetShort(L"osmode", 37);
        line = AddLine(AcGePoint3d(-5, 0, 0), AcGePoint3d(5, 0, 0));
    }
    int Pick(CString prompt = L"", CString types = L"", CString layer = L"", CString app = L"") {
        keyword = keywords;
        return SelectOneEnt(picked, pt, prompt, keyword, types, layer, app);
    }
    AcDbObjectId line;  // along the X axis, from -5 to 5
    AcDbObjectId picked;
    AcGePoint3d pt;
    CString keywords;
    CString keyword;
};

TEST_F(SelectOneTest, PicksTheEntityUnderThePointAndRestoresOsmode) {
    host::harness::PushPoint(AcGePoint3d(1, 0.15, 0));
    EXPECT_EQ(Pick(), RTNORM);
    EXPECT_EQ(picked, line);
    EXPECT_TRUE(TranscriptHas(L"\n选择实体:"));
    EXPECT_EQ(GetShort(L"osmode"), 37);
    EXPECT_EQ(host::harness::RegenCount(), 0);
}

TEST_F(SelectOneTest, WindowIsSizedFromTheViewAndSnapsToNearest) {
    // 0.2 away is outside a 0.125 half side, but within the snap aperture
    // (10 pixels of 206/900 units), so the point snaps onto the line.
    host::harness::PushPoint(AcGePoint3d(2, 0.2, 0));
    EXPECT_EQ(Pick(L"\nPick a road:"), RTNORM);
    EXPECT_EQ(picked, line);
    EXPECT_NEAR(pt.y, 0.0, 1e-12) << "the picked point snapped";
    EXPECT_TRUE(TranscriptHas(L"\nPick a road:"));
}

TEST_F(SelectOneTest, AMissPrintsAndRegeneratesOnce) {
    host::harness::PushPoint(AcGePoint3d(0, 20, 0));
    host::harness::PushPoint(AcGePoint3d(0, 30, 0));
    host::harness::PushPoint(AcGePoint3d(0, 0.05, 0));
    EXPECT_EQ(Pick(), RTNORM);
    EXPECT_EQ(picked, line);
    EXPECT_EQ(CountOf(Transcript(), kMissed), 2);
    EXPECT_EQ(host::harness::RegenCount(), 1);
}

TEST_F(SelectOneTest, FiltersOnTypeLayerAndApplication) {
    AddLayer(L"Pipes");
    DrawingTest::Register(L"DROVIK_WELL");
    const AcDbObjectId circle = Add(new AcDbCircle(AcGePoint3d(0, 1, 0), AcGeVector3d::kZAxis, 1.0));
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(ent, circle, AcDb::kForWrite), Acad::eOk);
    ent->setLayer(L"Pipes");
    resbuf* data = acutBuildList(1001, L"DROVIK_WELL", 1000, L"W1", 0);
    ent->setXData(data);
    acutRelRb(data);
    ent->close();

    struct Case {
        const char* name;
        const wchar_t *types, *layer, *app;
        AcDbObjectId expected;
    };
    const Case cases[] = {
        {"no filter: newest", L"", L"", L"", circle},
        {"type", L"LINE", L"", L"", line},
        {"type list", L"ARC,LINE", L"", L"", line},
        {"layer", L"", L"pipes", L"", circle},
        {"application", L"", L"", L"DROVIK_WELL", circle},
        {"type and application, no match", L"LINE", L"", L"DROVIK_WELL", AcDbObjectId::kNull},
    };
    for (const Case& c : cases) {
        picked.setNull();
        host::harness::ClearInput();
        host::harness::PushPoint(AcGePoint3d(0, 0, 0));  // the line and the circle meet here
        host::harness::PushCancel();
        const int rc = Pick(L"", c.types, c.layer, c.app);
        EXPECT_EQ(picked, c.expected) << c.name;
        EXPECT_EQ(rc, c.expected.isNull() ? RTCAN : RTNORM) << c.name;
    }
}

TEST_F(SelectOneTest, KeywordAndCancelLeaveTheIdAlone) {
    const AcDbObjectId marker = AddLine(AcGePoint3d(50, 50, 0), AcGePoint3d(51, 50, 0));
    picked = marker;
    keywords = L"Undo Exit";
    host::harness::PushText(L"u");
    keyword = keywords;
    EXPECT_EQ(SelectOneEnt(picked, pt, L"", keyword, L"", L"", L""), RTKWORD);
    EXPECT_EQ(keyword, CString(L"Undo"));
    EXPECT_EQ(picked, marker);

    host::harness::PushCancel();
    CString none;
    EXPECT_EQ(SelectOneEnt(picked, pt, L"", none, L"", L"", L""), RTCAN);
    EXPECT_EQ(picked, marker);
    EXPECT_EQ(GetShort(L"osmode"), 37) << "restored on every exit";
}
