// Documents, the document manager, the working database and the harness.
#include <algorithm>

#include "acdocman.h"
#include "dbinternal.h"
#include "editor_internal.h"
#include "dbsymtb.h"
#include "hostharness.h"

ACRX_DEFINE_MEMBERS(AcApDocument, AcRxObject)
ACRX_DEFINE_MEMBERS(AcApDocManagerReactor, AcRxObject)
ACRX_DEFINE_MEMBERS(AcApDocManager, AcRxObject)

namespace {
AcDbDatabase* g_working = nullptr;
}

void host_detail::DatabaseDestroyed(AcDbDatabase* db) {
    if (g_working == db) g_working = nullptr;
    EditorDatabaseDestroyed(db);
}

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const {
    acDocManagerPtr();  // the host starts with its first drawing
    return g_working;
}

void AcDbHostApplicationServices::setWorkingDatabase(AcDbDatabase* pDb) {
    acDocManagerPtr();
    g_working = pDb;
}

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static AcDbHostApplicationServices services;
    return &services;
}

// ---- documents ----

AcApDocument::AcApDocument(const wchar_t* title) : m_title(title), m_database(new AcDbDatabase(true, false)) {}

AcApDocument::~AcApDocument() { delete m_database; }

AcAp::DocLockMode AcApDocument::lockMode(bool) const { return m_lockCount > 0 ? m_lockMode : AcAp::kNotLocked; }

AcApDocManager::AcApDocManager() = default;

AcApDocManager* acDocManagerPtr() {
    // Never destroyed: clients may still unregister while the process ends.
    static AcApDocManager* manager = [] {
        auto* m = new AcApDocManager;
        m->newDocument(nullptr, true);
        return m;
    }();
    return manager;
}

template <class F>
void AcApDocManager::notify(F f) {
    const auto reactors = m_reactors;
    for (auto* r : reactors)
        if (std::find(m_reactors.begin(), m_reactors.end(), r) != m_reactors.end()) f(r);
}

AcApDocument* AcApDocManager::document(const AcDbDatabase* pDb) const {
    for (auto* doc : m_documents)
        if (doc->database() == pDb) return doc;
    return nullptr;
}

AcApDocument* AcApDocManager::newDocument(const wchar_t* title, bool makeCurrent) {
    ++m_created;
    CString name;
    if (title && *title) {
        name = title;
    } else {
        name.Format(L"Drawing%d.dwg", m_created);
    }
    auto* doc = new AcApDocument(name.GetString());
    m_documents.push_back(doc);
    notify([&](AcApDocManagerReactor* r) { r->documentCreated(doc); });
    if (makeCurrent || !m_current) activateDocument(doc);
    return doc;
}

Acad::ErrorStatus AcApDocManager::lockDocument(AcApDocument* pDoc, AcAp::DocLockMode mode,
                                               const wchar_t* globalCmdName, const wchar_t*, bool) {
    if (!pDoc) return Acad::eNoDocument;
    if (std::find(m_documents.begin(), m_documents.end(), pDoc) == m_documents.end()) return Acad::eInvalidInput;
    const AcAp::DocLockMode before = pDoc->lockMode();
    const AcAp::DocLockMode after = pDoc->m_lockCount == 0 ? mode : before;
    notify([&](AcApDocManagerReactor* r) {
        r->documentLockModeWillChange(pDoc, before, after, before, globalCmdName);
    });
    if (pDoc->m_lockCount++ == 0) pDoc->m_lockMode = mode;
    notify([&](AcApDocManagerReactor* r) { r->documentLockModeChanged(pDoc, before, after, after, globalCmdName); });
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::unlockDocument(AcApDocument* pDoc) {
    if (!pDoc) return Acad::eNoDocument;
    if (std::find(m_documents.begin(), m_documents.end(), pDoc) == m_documents.end()) return Acad::eInvalidInput;
    if (pDoc->m_lockCount == 0) return Acad::eNotLocked;
    const AcAp::DocLockMode before = pDoc->lockMode();
    const AcAp::DocLockMode after = pDoc->m_lockCount == 1 ? AcAp::kNotLocked : before;
    notify([&](AcApDocManagerReactor* r) { r->documentLockModeWillChange(pDoc, before, after, before, nullptr); });
    if (--pDoc->m_lockCount == 0) pDoc->m_lockMode = AcAp::kNotLocked;
    notify([&](AcApDocManagerReactor* r) { r->documentLockModeChanged(pDoc, before, after, after, nullptr); });
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::setCurDocument(AcApDocument* pDoc, AcAp::DocLockMode, bool activate) {
    if (!pDoc) return Acad::eNoDocument;
    if (std::find(m_documents.begin(), m_documents.end(), pDoc) == m_documents.end()) return Acad::eInvalidInput;
    m_current = pDoc;
    g_working = pDoc->database();
    notify([&](AcApDocManagerReactor* r) { r->documentBecameCurrent(pDoc); });
    if (activate) notify([&](AcApDocManagerReactor* r) { r->documentActivated(pDoc); });
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::activateDocument(AcApDocument* pDoc, bool) {
    if (!pDoc) return Acad::eNoDocument;
    if (std::find(m_documents.begin(), m_documents.end(), pDoc) == m_documents.end()) return Acad::eInvalidInput;
    if (m_current && m_current != pDoc) {
        AcApDocument* old = m_current;
        notify([&](AcApDocManagerReactor* r) { r->documentToBeDeactivated(old); });
    }
    notify([&](AcApDocManagerReactor* r) { r->documentToBeActivated(pDoc); });
    return setCurDocument(pDoc, AcAp::kNone, true);
}

Acad::ErrorStatus AcApDocManager::appContextNewDocument(const wchar_t*) {
    newDocument(nullptr, true);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::closeDocument(AcApDocument* pDoc) {
    if (!pDoc) return Acad::eNoDocument;
    const auto it = std::find(m_documents.begin(), m_documents.end(), pDoc);
    if (it == m_documents.end()) return Acad::eInvalidInput;
    notify([&](AcApDocManagerReactor* r) { r->documentToBeDestroyed(pDoc); });
    m_documents.erase(std::find(m_documents.begin(), m_documents.end(), pDoc));
    const CString title = pDoc->docTitle();
    const bool wasCurrent = m_current == pDoc;
    if (wasCurrent) {
        m_current = nullptr;
        g_working = nullptr;
    }
    delete pDoc;
    notify([&](AcApDocManagerReactor* r) { r->documentDestroyed(title.GetString()); });
    if (wasCurrent && !m_documents.empty()) activateDocument(m_documents.back());
    return Acad::eOk;
}

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor) {
    if (reactor && std::find(m_reactors.begin(), m_reactors.end(), reactor) == m_reactors.end())
        m_reactors.push_back(reactor);
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor) {
    m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), reactor), m_reactors.end());
}

// ---- harness ----

namespace host {
namespace harness {

namespace {
const AcDbDatabase* OrWorking(const AcDbDatabase* pDb) {
    return pDb ? pDb : acdbHostApplicationServices()->workingDatabase();
}
}  // namespace

AcApDocument* NewDocument(const wchar_t* title, bool makeCurrent) {
    return acDocManagerPtr()->newDocument(title, makeCurrent);
}

bool ActivateDocument(AcApDocument* pDoc) { return acDocManagerPtr()->activateDocument(pDoc) == Acad::eOk; }

bool CloseDocument(AcApDocument* pDoc) { return acDocManagerPtr()->closeDocument(pDoc) == Acad::eOk; }

int DocumentCount() { return acDocManagerPtr()->documentCount(); }

void ResetHost() {
    AcApDocManager* mgr = acDocManagerPtr();
    while (mgr->documentCount() > 0) mgr->closeDocument(mgr->documentAt(mgr->documentCount() - 1));
    host_detail::ResetEditor();
    mgr->newDocument(nullptr, true);
}

std::vector<AcDbObjectId> OpenObjects(const AcDbDatabase* pDb) {
    const AcDbDatabase* db = OrWorking(pDb);
    return db ? db->openObjectIds() : std::vector<AcDbObjectId>();
}

int OpenObjectCount(const AcDbDatabase* pDb) {
    const AcDbDatabase* db = OrWorking(pDb);
    return db ? db->numOpenObjects() : 0;
}

int TotalOpenObjectCount() {
    int total = 0;
    AcApDocManager* mgr = acDocManagerPtr();
    for (int i = 0; i < mgr->documentCount(); ++i) total += mgr->documentAt(i)->database()->numOpenObjects();
    return total;
}

int LockCount(const AcApDocument* pDoc) {
    const AcApDocument* doc = pDoc ? pDoc : acDocManagerPtr()->curDocument();
    return doc ? doc->lockCount() : 0;
}

int DocManagerReactorCount() { return acDocManagerPtr()->reactorCount(); }

std::vector<AcDbObjectId> ModelSpaceIds(const AcDbDatabase* pDb, bool includeErased) {
    const AcDbDatabase* db = OrWorking(pDb);
    if (!db) return {};
    const auto* ms = host_detail::ObjectAccess::peek<AcDbBlockTableRecord>(db->modelSpaceId());
    return ms ? ms->entityIds(includeErased) : std::vector<AcDbObjectId>();
}

}  // namespace harness
}  // namespace host
