#pragma once
// Letting go of a replaced file off the caller's path.
#include <memory>

#include "drovik/host/files.h"

namespace data_detail {

// Closes `file` on a helper thread. When a file has been renamed over, the
// open handle to the old one is its last reference, and closing it makes the
// system free the old contents (about a millisecond for 1.6 MB on ext4),
// which the caller need not wait for. At most a few closes are in flight; a
// call beyond that, or one that cannot start a thread, closes at once. Every
// pending close finishes before the library unloads or the process exits.
void CloseInBackground(std::unique_ptr<CFile> file);

// Waits until every close handed over so far has finished.
void WaitForBackgroundCloses();

}  // namespace data_detail
