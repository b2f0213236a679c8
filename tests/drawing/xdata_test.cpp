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

TEST_F(XDataTest, SetXDataKeepsOldItemsOfCodesTheNewListDoesNotUse) {
    resbuf* old = acutBuildList(1001, L"ROAD", 1000, L"y", 1040, 2.5, 0);
    PutXData(line, old);
    acutRelRb(old);

    resbuf* list = acutBuildList(1001, L"ROAD", 1000, L"x", 0);
    EXPECT_TRUE(SetXData(line, list));
    const Strings expected = {"1001:ROAD", "1000:x", "1040:2.500000"};
    EXPECT_EQ(XDataOf(line, L"ROAD"), expected);
    // The kept item now hangs on the caller's list, which still owns it.
    EXPECT_EQ(Items(list), expected);
    acutRelRb(list);
}

TEST_F(XDataTest, SetXDataKeepsEveryOldItemOfAnUnusedCodeInOrder) {
    resbuf* old = acutBuildList(1001, L"ROAD", 1040, 1.0, 1000, L"old", 1070, 7, 1040, 2.0, 0);
    PutXData(line, old);
    acutRelRb(old);

    resbuf* list = acutBuildList(1001, L"road", 1000, L"new", 0);
    EXPECT_TRUE(SetXData(line, list));
    acutRelRb(list);
    const Strings expected = {"1001:ROAD", "1000:new", "1040:1.000000", "1070:7", "1040:2.000000"};
    EXPECT_EQ(XDataOf(line, L"ROAD"), expected);
}

TEST_F(XDataTest, SetXDataLeavesOtherApplicationsAlone) {
    resbuf* pipe = acutBuildList(1001, L"PIPE", 1000, L"DN300", 0);
    PutXData(line, pipe);
    acutRelRb(pipe);

    resbuf* list = acutBuildList(1001, L"ROAD", 1000, L"K1+200", 0);
    EXPECT_TRUE(SetXData(line, list));
    acutRelRb(list);
    EXPECT_EQ(XDataOf(line, L"PIPE"), (Strings{"1001:PIPE", "1000:DN300"}));
    EXPECT_EQ(XDataOf(line, L"ROAD"), (Strings{"1001:ROAD", "1000:K1+200"}));

    // The application name alone removes only that application's data.
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
