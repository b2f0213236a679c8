#pragma once
// R12 records in the later form: a drawing read as R12 and written as R2000
// or later needs subclass markers in every record it keeps, or later readers
// do not see the codes (they read a record by its subclasses).
#include <vector>

#include "tags.h"

namespace host {
namespace dxf {
namespace detail {

// The tags of one or more records (a sequence: INSERT with its ATTRIBs,
// POLYLINE with its VERTEXes) with the subclass markers of their kinds put
// in, each code under the subclass that holds it. A record that already has
// markers, or a kind without them (SECTION, EOF, ...), is copied as it is.
void WithSubclassMarkers(const std::vector<Tag>& tags, std::vector<Tag>& out);

}  // namespace detail
}  // namespace dxf
}  // namespace host
