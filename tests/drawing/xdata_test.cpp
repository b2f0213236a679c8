// Extended data: reading, merging writes, copying; every list released once
// (run under LeakSanitizer to see it).
#include "chains/entity_checks.h"
#include "drovik/drawing/xdata.h"

namespace {
using Strings = std::vector<std::string>;

class XDataTest : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        Register(L"ROAD");
        Register(L"PIPE");
        line = AddLine(P(0, 0), P(10, 0));
    }
    AcDbObjectId line;
};

// A write keeps every old item of a code the new list does not use, in order,
// and leaves other applications alone.
TEST_F(XDataTest, SetXDataMergesWithTheOldItems) {
    const struct {
        const char* name;
        resbuf* old;
        resbuf* list;
        Strings road, pipe;
    } cases[] = {
        {"one kept item", acutBuildList(1001, L"ROAD", 1000, L"y", 1040, 2.5, 0),
         acutBuildList(1001, L"ROAD", 1000, L"x", 0), {"1001:ROAD", "1000:x", "1040:2.500000"}, {}},
        {"several kept items", acutBuildList(1001, L"ROAD", 1040, 1.0, 1000, L"old", 1070, 7, 1040, 2.0, 0),
         acutBuildList(1001, L"road", 1000, L"new", 0),
         {"1001:ROAD", "1000:new", "1040:1.000000", "1070:7", "1040:2.000000"}, {}},
        {"other application", acutBuildList(1001, L"PIPE", 1000, L"DN300", 0),
         acutBuildList(1001, L"ROAD", 1000, L"K1+200", 0), {"1001:ROAD", "1000:K1+200"}, {"1001:PIPE", "1000:DN300"}},
    };
    for (const auto& c : cases) {
        const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
        PutXData(id, c.old);
        acutRelRb(c.old);
        EXPECT_TRUE(SetXData(id, c.list)) << c.name;
        EXPECT_EQ(XDataOf(id, L"ROAD"), c.road) << c.name;
        EXPECT_EQ(XDataOf(id, L"PIPE"), c.pipe) << c.name;
        // A kept item hangs on the caller's list, which still owns it.
        if (&c == &cases[0]) { EXPECT_EQ(Items(c.list), c.road); }
        acutRelRb(c.list);
    }
    // The application name alone removes only that application's data.
    resbuf* pipe = acutBuildList(1001, L"PIPE", 1000, L"DN300", 1001, L"ROAD", 1000, L"x", 0);
    PutXData(line, pipe);
    acutRelRb(pipe);
    resbuf* head = acutBuildList(1001, L"ROAD", 0);
    EXPECT_TRUE(SetXData(line, head));
    acutRelRb(head);
    EXPECT_EQ(XDataOf(line), (Strings{"1001:PIPE", "1000:DN300"}));
}

TEST_F(XDataTest, SetXDataRefusesBadListsAndWritesNothing) {
    const AcDbObjectId erased = AddLine(P(0, 0), P(1, 0));
    EraseObject(erased);
    struct Case {
        const char* name;
        AcDbObjectId id;
        resbuf* list;
    } cases[] = {
        {"null list", line, nullptr},
        {"head is not 1001", line, acutBuildList(1000, L"x", 1001, L"ROAD", 0)},
        {"empty application name", line, acutBuildList(1001, L"", 1000, L"x", 0)},
        {"unregistered application", line, acutBuildList(1001, L"NOAPP", 1000, L"x", 0)},
        {"erased object", erased, acutBuildList(1001, L"ROAD", 1000, L"x", 0)},
        {"null id", AcDbObjectId::kNull, acutBuildList(1001, L"ROAD", 1000, L"x", 0)},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(SetXData(c.id, c.list)) << c.name;
        acutRelRb(c.list);
        EXPECT_TRUE(XDataOf(line).empty()) << c.name;
    }
}

TEST_F(XDataTest, GetXDataByApplicationOrAll) {
    resbuf* both = acutBuildList(1001, L"ROAD", 1000, L"a", 1001, L"PIPE", 1040, 3.0, 0);
    PutXData(line, both);
    acutRelRb(both);

    resbuf* rb = nullptr;
    ASSERT_TRUE(GetXData(line, rb, L"pipe"));
    EXPECT_EQ(Items(rb), (Strings{"1001:PIPE", "1040:3.000000"}));
    acutRelRb(rb);

    rb = nullptr;
    ASSERT_TRUE(GetXData(line, rb, CString()));
    EXPECT_EQ(Items(rb), (Strings{"1001:ROAD", "1000:a", "1001:PIPE", "1040:3.000000"}));
    acutRelRb(rb);

    // No data of that application: false and a null list.
    rb = acutNewRb(1000);
    resbuf* const callerList = rb;
    EXPECT_FALSE(GetXData(line, rb, L"ACAD"));
    EXPECT_EQ(rb, nullptr);
    acutRelRb(callerList);

    // An object that cannot be opened: false, the out pointer untouched.
    resbuf marker{};
    rb = &marker;
    EXPECT_FALSE(GetXData(AcDbObjectId::kNull, rb, CString()));
    EXPECT_EQ(rb, &marker);
}

TEST_F(XDataTest, TransferXDataCopiesEveryApplication) {
    resbuf* both = acutBuildList(1001, L"ROAD", 1000, L"a", 1001, L"PIPE", 1070, 4, 0);
    PutXData(line, both);
    acutRelRb(both);
    const AcDbObjectId target = AddCircle(P(0, 0), 1);
    EXPECT_TRUE(TransferXData(line, target));
    EXPECT_EQ(XDataOf(target), XDataOf(line));

    // Nothing to copy: false, target unchanged.
    const AcDbObjectId bare = AddLine(P(0, 0), P(0, 1));
    EXPECT_FALSE(TransferXData(bare, target));
    EXPECT_EQ(XDataOf(target), XDataOf(line));

    // A target that cannot be opened for write still answers true.
    const AcDbObjectId erased = AddLine(P(0, 0), P(1, 1));
    EraseObject(erased);
    EXPECT_TRUE(TransferXData(line, erased));
    EXPECT_FALSE(TransferXData(AcDbObjectId::kNull, target));
}
}  // namespace
