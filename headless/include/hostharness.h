#pragma once
// Headless host: the test harness, for tests and for clients that drive the
// host without a user.
//
// - Documents: NewDocument opens a new empty drawing (current by default),
//   ActivateDocument makes one current, CloseDocument closes one (its
//   database and every object in it go; ids into it become invalid), and
//   ResetHost closes every document and opens one fresh empty drawing, the
//   state the host starts in.
// - Inspection: OpenObjects / OpenObjectCount list what is open in a
//   database, so a test can assert that a call closed everything it opened;
//   LockCount gives a document's lock count; DocManagerReactorCount the
//   number of registered document-manager reactors; ModelSpaceIds the
//   entities of "*Model_Space".
// Null database or document arguments mean the working database or the
// current document.
#include <vector>

#include "acdocman.h"

namespace host {
namespace harness {

AcApDocument* NewDocument(const wchar_t* title = nullptr, bool makeCurrent = true);
bool ActivateDocument(AcApDocument* pDoc);
bool CloseDocument(AcApDocument* pDoc);
int DocumentCount();
void ResetHost();

std::vector<AcDbObjectId> OpenObjects(const AcDbDatabase* pDb = nullptr);
int OpenObjectCount(const AcDbDatabase* pDb = nullptr);
// Open objects across every open document.
int TotalOpenObjectCount();
int LockCount(const AcApDocument* pDoc = nullptr);
int DocManagerReactorCount();
std::vector<AcDbObjectId> ModelSpaceIds(const AcDbDatabase* pDb = nullptr, bool includeErased = false);

}  // namespace harness
}  // namespace host
