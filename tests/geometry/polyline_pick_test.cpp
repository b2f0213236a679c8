// Picking a polyline for a dump.
#include <dbpl.h>

#include <cstdio>
#include <fstream>

#include <widetext.h>

#include "chains/entity_checks.h"
#include "drovik/geometry/polyline.h"
#include "editor/editor_fixture.h"
#include "test_support.h"

using PolylinePickTest = EditorTest;

TEST_F(PolylinePickTest, DumpsOnlyAPickedPolyline) {
    host::harness::SetView(AcGePoint3d(0, 0, 0), 90);
    DrawingTest::AddPolyline({{0, 0, 0}, {10, 0, 0}});
    AddLine(AcGePoint3d(0, 5, 0), AcGePoint3d(10, 5, 0));
    const std::string path = UniqueTempPath("pick_dump.txt");
    { std::ofstream create(path); }
    const CString file(host::Utf8ToWide(path).c_str());

    host::harness::PushPoint(AcGePoint3d(5, 5, 0));  // the line
    PrintPolyLineInfo(file);
    EXPECT_TRUE(FileText(path).empty());
    host::harness::PushCancel();
    PrintPolyLineInfo(file);
    EXPECT_TRUE(FileText(path).empty());
    EXPECT_TRUE(TranscriptHas(L"\n选择一条多义线:"));

    host::harness::PushPoint(AcGePoint3d(5, 0.05, 0));
    PrintPolyLineInfo(file);
    EXPECT_FALSE(FileText(path).empty());
    std::remove(path.c_str());
}
