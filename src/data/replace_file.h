#pragma once
// Replacing a file without ever leaving it half-written.
#include <functional>

#include "drovik/host/files.h"

namespace data_detail {

// Writes a complete new file at strFile through `write`, which stores into
// the archive it is given: the bytes go to a temporary file in the same
// folder, are forced to disk and only then renamed over strFile, so readers
// and crashes see either the old file or the new one.
// 1 on success. 0 when strFile exists but cannot be opened for writing, the
// temporary file cannot be created or the rename fails. An exception thrown
// while writing (CFileException* for a full disk, say) passes through after
// the temporary file is removed. In every case but success strFile is left
// exactly as it was.
int ReplaceFile(const CString& strFile, const std::function<void(CArchive&)>& write);

// The name of a temporary file next to strFile (same folder).
CString TemporaryNameBeside(const CString& strFile);

}  // namespace data_detail
