// The headless host's documents, locks and reactors.
#include "headless/host_fixture.h"
#include "test_support.h"

namespace {
using DocumentsTest = HostTest;

struct DocSpy : AcApDocManagerReactor {
    std::vector<AcApDocument*> destroyed;
    std::vector<AcApDocument*> current;
    void documentToBeDestroyed(AcApDocument* d) override { destroyed.push_back(d); }
    void documentBecameCurrent(AcApDocument* d) override { current.push_back(d); }
};

TEST_F(DocumentsTest, CreateSwitchAndCloseDocuments) {
    AcApDocument* first = acDocManagerPtr()->curDocument();
    DocSpy spy;
    acDocManagerPtr()->addReactor(&spy);
    AcApDocument* second = host::harness::NewDocument(L"Second.dwg");
    EXPECT_EQ(acDocManagerPtr()->curDocument(), second);
    EXPECT_EQ(Db(), second->database());
    EXPECT_STREQ(second->docTitle(), L"Second.dwg");
    EXPECT_TRUE(host::harness::ActivateDocument(first));
    EXPECT_EQ(Db(), first->database());
    EXPECT_TRUE(host::harness::CloseDocument(first));
    // Closing the current document makes the remaining one current.
    EXPECT_EQ(acDocManagerPtr()->curDocument(), second);
    EXPECT_EQ(Db(), second->database());
    EXPECT_FALSE(host::harness::CloseDocument(first)) << "already closed";
    acDocManagerPtr()->removeReactor(&spy);
    ASSERT_EQ(spy.destroyed.size(), 1u);
    EXPECT_EQ(spy.destroyed[0], first);
    EXPECT_EQ(spy.current.back(), second);
}

TEST_F(DocumentsTest, ClosingTheLastDocumentLeavesNoWorkingDatabase) {
    EXPECT_TRUE(host::harness::CloseDocument(acDocManagerPtr()->curDocument()));
    EXPECT_EQ(acDocManagerPtr()->curDocument(), nullptr);
    EXPECT_EQ(Db(), nullptr);
    AcDbObjectId id;
    auto* line = new AcDbLine(P(0, 0), P(1, 0));
    EXPECT_EQ(sorn::ent::AddToDb(line, id), 0);
    delete line;
}

TEST_F(DocumentsTest, LocksAreCountedPerDocument) {
    AcApDocument* doc = acDocManagerPtr()->curDocument();
    EXPECT_EQ(doc->lockMode(), AcAp::kNotLocked);
    EXPECT_EQ(acDocManagerPtr()->lockDocument(doc, AcAp::kWrite), Acad::eOk);
    EXPECT_EQ(acDocManagerPtr()->lockDocument(doc, AcAp::kRead), Acad::eOk);
    EXPECT_EQ(host::harness::LockCount(doc), 2);
    EXPECT_EQ(doc->lockMode(), AcAp::kWrite);
    EXPECT_EQ(acDocManagerPtr()->unlockDocument(doc), Acad::eOk);
    EXPECT_EQ(acDocManagerPtr()->unlockDocument(doc), Acad::eOk);
    EXPECT_EQ(acDocManagerPtr()->unlockDocument(doc), Acad::eNotLocked);
    EXPECT_EQ(host::harness::LockCount(doc), 0);
    EXPECT_NE(acDocManagerPtr()->lockDocument(nullptr), Acad::eOk);
}

TEST_F(DocumentsTest, ReactorsMayRemoveThemselvesWhileTold) {
    struct SelfRemoving : AcApDocManagerReactor {
        int calls = 0;
        void documentToBeDestroyed(AcApDocument*) override {
            ++calls;
            acDocManagerPtr()->removeReactor(this);
        }
    } reactor;
    const int before = host::harness::DocManagerReactorCount();
    acDocManagerPtr()->addReactor(&reactor);
    acDocManagerPtr()->addReactor(&reactor);  // once only
    EXPECT_EQ(host::harness::DocManagerReactorCount(), before + 1);
    host::harness::CloseDocument(host::harness::NewDocument());
    EXPECT_EQ(reactor.calls, 1);
    EXPECT_EQ(host::harness::DocManagerReactorCount(), before);
}

TEST_F(DocumentsTest, IdsOfAClosedDocumentStayInvalidAfterNewDocumentsOpen) {
    AcApDocument* doc = host::harness::NewDocument();
    const AcDbObjectId id = AddLine(P(0, 0), P(1, 0));
    host::harness::CloseDocument(doc);
    host::harness::NewDocument();
    AddLine(P(0, 0), P(1, 0));
    EXPECT_FALSE(id.isValid());
    EXPECT_EQ(id.database(), nullptr);
}
}  // namespace
