#pragma once
// Replacing a file without ever leaving it half-written.
#include <functional>

#include "drovik/host/files.h"

namespace data_detail {

// Writes a complete new file at strFile through `write`, which writes (and
// may seek in) the file it is given: the bytes go to a temporary file in the
// same folder, which is renamed over strFile only once it is complete, so
// readers, failed writes and crashed processes see either the old file or
// the new one. The new file is not forced to the disk (no fsync): that would
// cost several times the write itself; after a power cut, the file system's
// own ordering decides (ext4, by default, writes a file renamed over another
// before the rename).
// 1 on success. 0 when strFile exists but cannot be opened for writing, the
// temporary file cannot be created or the rename fails. An exception thrown
// while writing (CFileException* for a full disk, say) passes through after
// the temporary file is removed. In every case but success strFile is left
// exactly as it was.
int ReplaceFile(const CString& strFile, const std::function<void(CFile&)>& write);

// The name of a temporary file next to strFile (same folder).
CString TemporaryNameBeside(const CString& strFile);

}  // namespace data_detail
