#pragma once
// The per-document record and its manager.
//
// The library keeps one small record per open drawing, reached through the
// host's current document: GetDocData(acDocManagerPtr()->curDocument()).
// A record comes into being on the first GetDocData for its drawing and is
// dropped when the host announces that the drawing is about to be destroyed.
// Fetch it anew for every access: the reference does not survive host calls
// that may open or close drawings.
#include <cstddef>
#include <map>

#include "drovik/frame/export.h"
#include "drovik/host/database.h"

// Undo bookkeeping of one drawing; a new record is all zero.
class CDocData {
public:
    int m_nUndoCount = 0;      // undo groups closed and not yet stepped back
    bool m_bUndoInit = false;  // the undo bookkeeping was initialised
    bool m_bUndoBegin = false; // an undo group opened by the library is still open
};

// Records per document, keyed by the document pointer. Registers itself with
// the host's document manager for its whole life.
template <class T>
class AsdkDataManager : public AcApDocManagerReactor {
public:
    AsdkDataManager() { acDocManagerPtr()->addReactor(this); }
    ~AsdkDataManager() override { acDocManagerPtr()->removeReactor(this); }
    AsdkDataManager(const AsdkDataManager&) = delete;
    AsdkDataManager& operator=(const AsdkDataManager&) = delete;

    // The host is about to destroy pDoc: its record goes.
    void documentToBeDestroyed(AcApDocument* pDoc) override { m_dataMap.erase(pDoc); }

    // The record of pDoc, made (zeroed) when there is none.
    T& GetDocData(AcApDocument* pDoc) { return m_dataMap[pDoc]; }

    // Whether pDoc has a record, and how many records there are (for tests
    // and diagnostics; neither makes a record).
    bool HasDocData(const AcApDocument* pDoc) const {
        return m_dataMap.count(const_cast<AcApDocument*>(pDoc)) != 0;
    }
    std::size_t DocDataCount() const { return m_dataMap.size(); }

private:
    std::map<AcApDocument*, T> m_dataMap;
};
