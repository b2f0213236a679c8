#pragma once
// Block definitions and the objects of extension dictionaries between the
// file and the model: what Build reads into block records, xrecords and
// dictionaries, and what the writer needs to write them back.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dbsymtb.h"
#include "dbxrecrd.h"
#include "encoding.h"
#include "image.h"

namespace host {
namespace dxf {
namespace detail {

// BLOCK_RECORD: insertion units (70), explodability (280), scaling (281).
void ReadBlockRecordFields(const std::vector<Tag>& tags, AcDbBlockTableRecord& rec);
// BLOCK: base point (10), external reference path (1), description (4).
void ReadBlockBegin(const std::vector<Tag>& tags, Codec& codec, AcDbBlockTableRecord& rec);
// The BLOCK flags (70) of a record: the bits the model states (anonymous 1,
// attribute definitions 2, external reference 4) over the others as read.
long long BlockFlags(const AcDbBlockTableRecord& rec, long long read);

// A head that stays as read takes the parts bound after it (its
// attributes and SEQEND) back into its span; false when it had none.
bool KeepSequence(FileImage& img, std::uint32_t head);

// The data of an XRECORD as a result-buffer list (handles as names of the
// objects of the database: slotOf answers the slot of a file handle, 0 when
// the host holds no object of it), with its merge style (280 after the
// marker). False when some item would not come back the same (a point
// without its Y or Z, a handle to an object the host does not hold, a
// value that is no number): the record is then kept as read.
struct XrecordData {
    resbuf* list = nullptr;  // owned by the caller (acutRelRb)
    int mergeStyle = 1;
    bool hasMergeStyle = false;
};
bool ReadXrecordData(const std::vector<Tag>& tags, Codec& codec, const AcDbDatabase* db,
                     const std::function<std::uint32_t(std::uint64_t)>& slotOf, XrecordData& out);

}  // namespace detail
}  // namespace dxf
}  // namespace host
