#pragma once
// Extended data: lists of result buffers, each application's data headed by
// an item of type 1001 holding its registered name. Lists handed out belong
// to the caller, who releases them with acutRelRb; lists handed in stay the
// caller's.
#include "drovik/frame/export.h"
#include "drovik/host/database.h"

// The object's data of strAppName, or of every application when it is empty,
// into pRb (set on every path that opened the object; null when there is
// none). True when a list came back. False, pRb untouched, when the object
// cannot be opened.
DROVIK_API bool GetXData(AcDbObjectId id, resbuf*& pRb, CString strAppName);

// Writes one application's data. A list holding only the 1001 head removes
// that application's data. Otherwise the object's old items whose type codes
// the new list does not use are kept: they are detached from the old data
// and appended, in their old order, to the end of pRb (which then owns
// them); the old items of codes the new list uses are released. False for a
// null list, a head that is not a 1001 item naming an application, an object
// that cannot be opened for write, or an application the drawing has not
// registered (the list may then already hold the kept items).
DROVIK_API bool SetXData(AcDbObjectId id, resbuf* pRb);

// Copies the data of every application from idSource onto idTarget. False
// when the source has none (or cannot be read); true otherwise, also when
// the target could not take it.
DROVIK_API bool TransferXData(AcDbObjectId idSource, AcDbObjectId idTarget);
