#pragma once
// Headless host internals: what saving a drawing does for its dimensions.
#include "dbmain.h"

namespace host_detail {

// Gives every dimension of the database that has no block, or one older
// than its last change, a block of its drawing (recomputeDimensionBlock).
// Dimensions open elsewhere are left as they are. Answers the blocks made.
// The DXF writer calls this before it writes.
int EnsureDimensionBlocks(AcDbDatabase* db);

}  // namespace host_detail
