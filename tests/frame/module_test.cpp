// Module entry and the per-document records.
#include "drovik/frame/module.h"
#include "headless/host_fixture.h"
#include "native.h"

namespace {
using ModuleTest = HostTest;

// Linking the library attaches the module; repeated entry calls do no harm.
TEST_F(ModuleTest, EntryCalls) {
    EXPECT_TRUE(IsDrovikModuleAttached());
    ASSERT_NE(g_DocDataManager, nullptr);
    EXPECT_TRUE(g_NullSubentPath.isNull());
    const int reactors = host::harness::DocManagerReactorCount();
    AsdkDataManager<CDocData>* manager = g_DocDataManager;
    EXPECT_EQ(DrovikModuleEntry(kDrovikProcessAttach), 1);
    EXPECT_EQ(g_DocDataManager, manager) << "a second attach must not replace the manager";
    EXPECT_EQ(host::harness::DocManagerReactorCount(), reactors);
    EXPECT_EQ(DrovikModuleEntry(kDrovikProcessDetach), 1);
    EXPECT_EQ(g_DocDataManager, nullptr);
    EXPECT_EQ(host::harness::DocManagerReactorCount(), reactors - 1);
    EXPECT_EQ(DrovikModuleEntry(kDrovikProcessDetach), 1);
    EXPECT_EQ(host::harness::DocManagerReactorCount(), reactors - 1);
    EXPECT_EQ(DrovikModuleEntry(2), 1);  // thread attach: nothing to do
    EXPECT_EQ(DrovikModuleEntry(kDrovikProcessAttach), 1);
    EXPECT_EQ(host::harness::DocManagerReactorCount(), reactors);
    EXPECT_TRUE(IsDrovikModuleAttached());
}

TEST_F(ModuleTest, RecordsAreMadeOnDemandAndDroppedWithTheirDocument) {
    AcApDocument* first = acDocManagerPtr()->curDocument();
    AcApDocument* second = host::harness::NewDocument();
    EXPECT_FALSE(g_DocDataManager->HasDocData(second)) << "an untouched drawing has no record";
    CDocData& data = g_DocDataManager->GetDocData(second);
    EXPECT_EQ(data.m_nUndoCount, 0);
    EXPECT_FALSE(data.m_bUndoInit);
    EXPECT_FALSE(data.m_bUndoBegin);
    data.m_nUndoCount = 3;
    g_DocDataManager->GetDocData(first).m_nUndoCount = 7;
    EXPECT_EQ(g_DocDataManager->GetDocData(second).m_nUndoCount, 3) << "each drawing keeps its own";
    const std::size_t before = g_DocDataManager->DocDataCount();
    host::harness::CloseDocument(second);
    EXPECT_EQ(g_DocDataManager->DocDataCount(), before - 1);
    EXPECT_EQ(g_DocDataManager->GetDocData(first).m_nUndoCount, 7);
}

// The built shared library registers its own manager when loaded and
// unregisters it when unloaded.
TEST_F(ModuleTest, SharedLibraryRegistersAndUnregistersItsManager) {
    const int before = host::harness::DocManagerReactorCount();
    void* lib = host::native::OpenLibrary(DROVIK_SHARED_LIB);
    ASSERT_NE(lib, nullptr) << host::native::LibraryError();
    EXPECT_EQ(host::harness::DocManagerReactorCount(), before + 1);
    auto** manager = static_cast<AsdkDataManager<CDocData>**>(host::native::LibrarySymbol(lib, "g_DocDataManager"));
    ASSERT_NE(manager, nullptr);
    ASSERT_NE(*manager, nullptr);
    EXPECT_NE(*manager, g_DocDataManager) << "the loaded library keeps its own state";
    AcApDocument* doc = host::harness::NewDocument();
    (*manager)->GetDocData(doc).m_bUndoInit = true;
    EXPECT_TRUE((*manager)->HasDocData(doc));
    host::harness::CloseDocument(doc);
    EXPECT_EQ((*manager)->DocDataCount(), 0u);
    EXPECT_TRUE(host::native::CloseLibrary(lib));
    EXPECT_EQ(host::harness::DocManagerReactorCount(), before);
}
}  // namespace
