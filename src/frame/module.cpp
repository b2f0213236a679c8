// Module entry: the per-document manager and the module-lifetime objects.
#include "drovik/frame/module.h"

#include "data/registration.h"

AsdkDataManager<CDocData>* g_DocDataManager = nullptr;
// A constant: built with the library's statics and never reassigned, so the
// load and unload hooks (whose order against static construction and
// destruction is not fixed) never touch it.
const AcDbFullSubentPath g_NullSubentPath(AcDbObjectId::kNull, AcDbSubentId(AcDb::kNullSubentType, 0));

namespace {
bool g_attached = false;

void Attach() {
    // There is no MFC extension module on this platform to initialise: the
    // shared library's own load is the module initialisation.
    g_DocDataManager = new AsdkDataManager<CDocData>;
    RegisterDataNodeClass();  // so archives can create CDataNode objects by class
    g_attached = true;
}

void Detach() {
    UnregisterDataNodeClass();
    delete g_DocDataManager;  // unregisters from the document manager
    g_DocDataManager = nullptr;
    g_attached = false;
}

__attribute__((constructor)) void OnLibraryLoad() { DrovikModuleEntry(kDrovikProcessAttach); }
__attribute__((destructor)) void OnLibraryUnload() { DrovikModuleEntry(kDrovikProcessDetach); }
}  // namespace

extern "C" int DrovikModuleEntry(unsigned long reason) {
    if (reason == kDrovikProcessAttach && !g_attached) Attach();
    if (reason == kDrovikProcessDetach && g_attached) Detach();
    return 1;
}

bool IsDrovikModuleAttached() { return g_attached; }
