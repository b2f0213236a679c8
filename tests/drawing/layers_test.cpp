// Layers with colours and linetypes, the current layer, and loading
// linetypes through the host's command.
#include <cstdio>
#include <fstream>
#include <string>

#include <widetext.h>

#include "drovik/drawing/tables.h"
#include "editor/editor_fixture.h"
#include "test_support.h"

namespace {
class LayersTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        host::harness::ClearTranscript();
    }
    static bool CommandRan() { return Transcript().find(L"linetype") != std::wstring::npos; }
    static bool HasLinetype(const wchar_t* name) {
        AcDbObjectId id;
        return GetLinetypeId(name, id);
    }
    struct LayerState {
        int color = -1;
        CString linetype;
    };
    static LayerState StateOf(const wchar_t* layer) {
        LayerState s;
        AcDbObjectId id;
        if (!GetLayerId(layer, id)) return s;
        AcDbLayerTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) return s;
        s.color = rec->color().colorIndex();
        rec->close();
        GetLinetype(layer, s.linetype);
        return s;
    }
    static CString Clayer() {
        resbuf rb{};
        if (acedGetVar(L"clayer", &rb) != RTNORM || rb.restype != RTSTR) return CString();
        CString name(rb.resval.rstring);
        acutDelString(rb.resval.rstring);
        return name;
    }
};

TEST_F(LayersTest, LoadLinetypeRunsTheCommandOnlyWhenNeeded) {
    EXPECT_TRUE(LoadLinetype(L"CONTINUOUS", L""));
    EXPECT_TRUE(LoadLinetype(L"bylayer", L""));
    EXPECT_FALSE(LoadLinetype(L"", L""));
    EXPECT_FALSE(CommandRan()) << host::harness::Transcript();

    ASSERT_FALSE(HasLinetype(L"DASHED"));
    EXPECT_TRUE(LoadLinetype(L"dashed", L""));
    EXPECT_TRUE(CommandRan());
    EXPECT_TRUE(HasLinetype(L"DASHED")) << "loaded from acadiso.lin in the program folder";

    host::harness::ClearTranscript();
    EXPECT_TRUE(LoadLinetype(L"Dashed", L""));
    EXPECT_FALSE(CommandRan()) << "already in the drawing";

    // A name the file does not have: the command runs, the answer is still true.
    EXPECT_TRUE(LoadLinetype(L"NOSUCH", L""));
    EXPECT_FALSE(HasLinetype(L"NOSUCH"));
}

TEST_F(LayersTest, LoadLinetypeFromAGivenFile) {
    const std::string path = UniqueTempPath("pipes.lin");
    {
        std::ofstream lin(path);
        lin << "*PIPE,Pipe __ . __ . __\nA,10,-2,0,-2\n";
    }
    CString file(host::Utf8ToWide(path).c_str());
    EXPECT_TRUE(LoadLinetype(L"PIPE", file));
    EXPECT_TRUE(HasLinetype(L"pipe"));
    std::remove(path.c_str());
}

TEST_F(LayersTest, MakeLayerClampsTheColourAndSetsTheLinetype) {
    EXPECT_TRUE(MakeLayer(L"Pipes", 300, L"DASHED"));
    LayerState s = StateOf(L"Pipes");
    EXPECT_EQ(s.color, 256);
    EXPECT_EQ(s.linetype, CString(L"DASHED"));

    EXPECT_TRUE(MakeLayer(L"Walls", -5, L""));
    s = StateOf(L"Walls");
    EXPECT_EQ(s.color, 0);
    EXPECT_EQ(s.linetype, CString(L"Continuous"));

    EXPECT_TRUE(MakeLayer(L"Kerbs", 3, L"NOSUCH"));
    EXPECT_EQ(StateOf(L"Kerbs").linetype, CString(L"Continuous")) << "a linetype that cannot be set";

    // An existing layer is left as it is.
    EXPECT_TRUE(MakeLayer(L"pipes", 5, L"CENTER"));
    s = StateOf(L"Pipes");
    EXPECT_EQ(s.color, 256);
    EXPECT_EQ(s.linetype, CString(L"DASHED"));
    EXPECT_FALSE(HasLinetype(L"CENTER"));

    EXPECT_FALSE(MakeLayer(L"bad*name", 1, L"DASHED"));
    EXPECT_FALSE(IsLayerExist(L"bad*name"));
}

TEST_F(LayersTest, SetLinetype) {
    AddLayer(L"Pipes");
    EXPECT_FALSE(SetLinetype(L"NoSuchLayer", L"DASHED"));
    EXPECT_FALSE(CommandRan()) << "the layer is looked up first";
    const CString before = StateOf(L"Pipes").linetype;
    EXPECT_FALSE(SetLinetype(L"Pipes", L"NOSUCH"));
    EXPECT_EQ(StateOf(L"Pipes").linetype, before);
    EXPECT_TRUE(SetLinetype(L"Pipes", L"center"));
    EXPECT_EQ(StateOf(L"Pipes").linetype, CString(L"CENTER"));
    EXPECT_TRUE(SetLinetype(L"Pipes", L"Continuous"));
    EXPECT_EQ(StateOf(L"Pipes").linetype, CString(L"Continuous"));
}

TEST_F(LayersTest, SetLayerCurrent) {
    AddLayer(L"Pipes");
    EXPECT_TRUE(SetLayerCurrent(L"pipes"));
    EXPECT_EQ(Clayer().CompareNoCase(L"Pipes"), 0);
    AcDbObjectId pipes;
    GetLayerId(L"Pipes", pipes);
    EXPECT_EQ(Db()->clayer(), pipes);

    EXPECT_FALSE(SetLayerCurrent(L"Roads"));
    EXPECT_EQ(Db()->clayer(), pipes);
    const AcDbObjectId gone = AddLayer(L"Gone");
    EraseObject(gone);
    EXPECT_FALSE(SetLayerCurrent(L"Gone"));
    EXPECT_EQ(Db()->clayer(), pipes);
}
}  // namespace
