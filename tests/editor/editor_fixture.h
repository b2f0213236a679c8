#pragma once
// A fresh host (the module attaches itself when the library is linked);
// every test must leave nothing open and no selection set unfreed.
#include <aced.h>
#include <hostharness.h>

#include <string>

#include "drovik/frame/module.h"
#include "headless/host_fixture.h"

class EditorTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(IsDrovikModuleAttached());
    }
    void TearDown() override {
        EXPECT_EQ(host::harness::OpenSelectionSetCount(), 0) << "selection sets left open";
        HostTest::TearDown();
    }

public:
    static std::wstring Transcript() { return host::harness::Transcript().str(); }
    static bool TranscriptHas(const wchar_t* text) { return Transcript().find(text) != std::wstring::npos; }

    static short GetShort(const wchar_t* name) {
        resbuf rb{};
        return acedGetVar(name, &rb) == RTNORM && rb.restype == RTSHORT ? rb.resval.rint : -1;
    }
    static void SetShort(const wchar_t* name, short value) {
        resbuf rb{};
        rb.restype = RTSHORT;
        rb.resval.rint = value;
        acedSetVar(name, &rb);
    }
    static double ViewSize() {
        resbuf rb{};
        acedGetVar(L"viewsize", &rb);
        return rb.resval.rreal;
    }
    static AcGePoint3d ViewCenter() {
        resbuf rb{};
        acedGetVar(L"viewctr", &rb);
        return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
    }
    static int LiveEntityCount() { return static_cast<int>(host::harness::ModelSpaceIds().size()); }

    // Ids of a crossing selection (freed again); empty when nothing.
    static std::vector<AcDbObjectId> Crossing(double x0, double y0, double x1, double y1,
                                              const resbuf* filter = nullptr) {
        const ads_point a = {x0, y0, 0.0};
        const ads_point b = {x1, y1, 0.0};
        ads_name ss;
        std::vector<AcDbObjectId> ids;
        if (acedSSGet(L"c", a, b, filter, ss) != RTNORM) return ids;
        long n = 0;
        acedSSLength(ss, &n);
        for (long i = 0; i < n; ++i) {
            ads_name ent;
            AcDbObjectId id;
            if (acedSSName(ss, i, ent) == RTNORM && acdbGetObjectId(id, ent) == Acad::eOk) ids.push_back(id);
        }
        acedSSFree(ss);
        return ids;
    }
};
