#pragma once
// Data node files: CDataNode records kept in a small binary file.
//
// Layout, little-endian: version (32-bit signed, always 1), count of records
// (32-bit signed), then the records one after another as
// CDataNode::Serialize writes them. The index identifies a record.
//
// Answers and failures, common to the functions below:
// - 0 for an empty path, a file that cannot be opened or created, or a
//   version other than 1 (the file is then left as it was).
// - A file shorter than its header and records claim (an existing empty file
//   too, or a corrupt count or text length) throws CArchiveException*
//   (endOfFile) to the caller, who releases it with Delete(); the file is
//   left as it was. Reading never reserves memory for more records or text
//   than the file can hold.
// - Writers never touch the old file until the new one is complete: they
//   write a temporary file in the same folder and rename it over the old one
//   once it is complete. When writing fails half-way (a full disk, say) the
//   temporary file is removed, the old file stays exactly as it was and the
//   CFileException* is passed to the caller. A file that exists but cannot
//   be read or opened for writing is not replaced (answer 0). The new file
//   keeps the old file's permission bits; a symbolic link keeps pointing at
//   the file it named, which receives the new contents. Everything happens
//   on the caller's thread: the old file is closed before the rename.
// - A negative count in a file counts as no records.
#include "drovik/data/datanode.h"
#include "drovik/frame/export.h"
#include "drovik/host/mfc.h"

using CDataNodeArray = CArray<CDataNode, CDataNode&>;

// Stores one node: the first record with the node's index (the type is not
// compared) is replaced in place by the whole node; without one, the node is
// appended. A missing file is created holding just this node. 1 or 0.
DROVIK_API int SornWriteDataNode(CDataNode& node, CString strFile);

// Stores several nodes, in array order: each replaces the first record of
// the old file with its index, or is appended. Only records that were in the
// file are searched, so two elements with a new index are both appended, and
// two elements whose index is in the file both overwrite the same record (the
// later one wins). A missing file is created holding the array. 1 or 0.
DROVIK_API int SornWriteDataNode(CDataNodeArray& arrNodes, CString strFile);

// Fills node from the first record with its index: index, type and value
// are copied and the other two values become 0, 0.0 and the empty text.
// 1 when a record was found; 0 otherwise, the node unchanged.
DROVIK_API int SornReadDataNode(CDataNode& node, CString strFile);

// For every record in file order, fills the first element with its index.
// 1 when the number of such matches equals the number of elements (an empty
// array therefore gives 1 for any readable file), else 0; matched elements
// keep what they received either way. A record index present twice in the
// file counts twice; an element index present twice in the array only fills
// the first of them.
DROVIK_API int SornReadDataNode(CDataNodeArray& arrNodes, CString strFile);

// Appends to an existing text file: "\n", 36 '=' and "\n", then each
// element's DebugFormat() and "\n". Text is written as UTF-8 with LF line
// ends. Writes nothing when the file cannot be opened (it is never created);
// a failing write throws CFileException*.
DROVIK_API void PrintDataNode(CDataNodeArray& arrNodes, CString strFile);
