#pragma once
// Headless host: documents and the document manager.
//
// The host starts with one open document holding a new, empty drawing, as a
// CAD host starts with a new drawing; it is current and its database is the
// working database. Closing the current document makes the most recently
// created remaining document current (none: no current document and no
// working database). Documents are locked and unlocked in pairs; the lock
// count and the mode of the outermost lock are kept per document.
// Reactors are told, in this order: documentCreated after a document opens,
// documentToBeDestroyed before it closes, documentBecameCurrent and
// documentActivated when it becomes current. Reactors may remove themselves
// while being told.
#include "acadstrc.h"
#include "dbmain.h"

namespace AcAp {
enum DocLockMode {
    kNone = 0x00,
    kAutoWrite = 0x01,
    kNotLocked = 0x02,
    kWrite = 0x04,
    kProtectedAutoWrite = 0x14,
    kRead = 0x20,
    kXWrite = 0x40,
};
}  // namespace AcAp

class AcApDocument : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcApDocument)
    AcDbDatabase* database() const { return m_database; }
    const wchar_t* fileName() const { return m_title.GetString(); }
    const wchar_t* docTitle() const { return m_title.GetString(); }
    // The mode of the outermost lock, kNotLocked when none.
    AcAp::DocLockMode lockMode(bool includeMyLocks = false) const;
    AcAp::DocLockMode myLockMode() const { return lockMode(); }
    bool isQuiescent() const { return m_lockCount == 0; }
    // Not in the host.
    int lockCount() const { return m_lockCount; }

private:
    friend class AcApDocManager;
    AcApDocument(const wchar_t* title);
    ~AcApDocument() override;
    AcApDocument(const AcApDocument&) = delete;
    AcApDocument& operator=(const AcApDocument&) = delete;
    CString m_title;
    AcDbDatabase* m_database;
    int m_lockCount = 0;
    AcAp::DocLockMode m_lockMode = AcAp::kNotLocked;
};

class AcApDocManagerReactor : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcApDocManagerReactor)
    virtual void documentCreateStarted(AcApDocument*) {}
    virtual void documentCreated(AcApDocument*) {}
    virtual void documentToBeDestroyed(AcApDocument*) {}
    virtual void documentDestroyed(const wchar_t* /*fileName*/) {}
    virtual void documentLockModeWillChange(AcApDocument*, AcAp::DocLockMode /*myCurrentMode*/,
                                            AcAp::DocLockMode /*myNewMode*/, AcAp::DocLockMode /*currentMode*/,
                                            const wchar_t* /*globalCommandName*/) {}
    virtual void documentLockModeChanged(AcApDocument*, AcAp::DocLockMode /*myPreviousMode*/,
                                         AcAp::DocLockMode /*myCurrentMode*/, AcAp::DocLockMode /*currentMode*/,
                                         const wchar_t* /*globalCommandName*/) {}
    virtual void documentBecameCurrent(AcApDocument*) {}
    virtual void documentToBeActivated(AcApDocument*) {}
    virtual void documentToBeDeactivated(AcApDocument*) {}
    virtual void documentActivated(AcApDocument*) {}
};

class AcApDocManager : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcApDocManager)
    AcApDocument* curDocument() const { return m_current; }
    AcApDocument* mdiActiveDocument() const { return m_current; }
    AcApDocument* document(const AcDbDatabase* pDb) const;
    int documentCount() const { return static_cast<int>(m_documents.size()); }

    // Locks need a document of this manager; unlocking an unlocked document
    // answers eNotLocked.
    Acad::ErrorStatus lockDocument(AcApDocument* pDoc, AcAp::DocLockMode mode = AcAp::kWrite,
                                   const wchar_t* globalCmdName = nullptr, const wchar_t* localCmdName = nullptr,
                                   bool prompt = true);
    Acad::ErrorStatus unlockDocument(AcApDocument* pDoc);

    Acad::ErrorStatus setCurDocument(AcApDocument* pDoc, AcAp::DocLockMode mode = AcAp::kNone, bool activate = false);
    Acad::ErrorStatus activateDocument(AcApDocument* pDoc, bool bPassScript = false);
    // Opens a new empty drawing and makes it current.
    Acad::ErrorStatus appContextNewDocument(const wchar_t* templateName);
    Acad::ErrorStatus closeDocument(AcApDocument* pDoc);

    // Queues text for the command line of pDoc; the headless host runs it
    // when the harness asks (host::harness::RunQueuedCommands).
    Acad::ErrorStatus sendStringToExecute(AcApDocument* pDoc, const wchar_t* pszExecute, bool bActivate = true,
                                          bool bWrapUpInactiveDoc = false, bool bEchoString = true);

    void addReactor(AcApDocManagerReactor* reactor);
    void removeReactor(AcApDocManagerReactor* reactor);

    // Not in the host.
    AcApDocument* newDocument(const wchar_t* title, bool makeCurrent);
    int reactorCount() const { return static_cast<int>(m_reactors.size()); }
    AcApDocument* documentAt(int index) const { return m_documents.at(static_cast<std::size_t>(index)); }

private:
    friend AcApDocManager* acDocManagerPtr();
    AcApDocManager();
    template <class F>
    void notify(F f);
    std::vector<AcApDocument*> m_documents;
    std::vector<AcApDocManagerReactor*> m_reactors;
    AcApDocument* m_current = nullptr;
    int m_created = 0;
};

// The host's one document manager.
AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()
