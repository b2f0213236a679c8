#pragma once
// Module load and unload.
//
// The shared library calls DrovikModuleEntry(kDrovikProcessAttach) when it
// is loaded and DrovikModuleEntry(kDrovikProcessDetach) when it is unloaded,
// so a host that loads the library gets the module state without further
// calls. A process that links the library's objects directly (tests) calls
// the entry itself. Repeated attaches or detaches do nothing.
//
// At attach, in this order: the per-document manager g_DocDataManager is
// made and registered with the host's document manager; the data node
// run-time class is registered. Detach releases them in the reverse order.
// g_NullSubentPath (null object id, null sub-entity) is a constant that
// lives as long as the library is loaded.
#include "drovik/frame/docdata.h"
#include "drovik/frame/export.h"
#include "drovik/host/database.h"

enum : unsigned long {
    kDrovikProcessDetach = 0,
    kDrovikProcessAttach = 1,
};

// Answers 1 (the load succeeds); any other reason does nothing and answers 1.
extern "C" DROVIK_API int DrovikModuleEntry(unsigned long reason);

// The one per-document manager while the module is attached; null otherwise.
extern DROVIK_API AsdkDataManager<CDocData>* g_DocDataManager;

// The empty sub-entity path the highlighting calls pass to the host.
extern DROVIK_API const AcDbFullSubentPath g_NullSubentPath;

// Whether the module state is set up.
DROVIK_API bool IsDrovikModuleAttached();
