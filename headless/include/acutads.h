#pragma once
// Headless host: result-buffer and string utilities.
//
// Buffers and strings come from the C heap: acutNewRb / acutBuildList /
// acutNewString allocate, acutRelRb releases a whole list with every string
// and binary chunk it owns, acutDelString releases a string.
#include "adscodes.h"
#include "adsdef.h"

// A zeroed buffer of the type; string and binary values start empty (null).
resbuf* acutNewRb(int type);
// Releases the list from rb on; null is allowed. Answers RTNORM.
int acutRelRb(resbuf* rb);
// Builds a list from (type, value) pairs ended by 0. Values by type: strings
// as const wchar_t*, reals as double, points as const double*, 16-bit and
// 32-bit integers (RTSHORT, RTLONG, 1070, 1071) as int, 64-bit integers as
// std::int64_t, entity names as const long*, binary chunks as const
// ads_binary*. Codes
// without a value (RTLB, RTLE, RTDOTE, RTNONE, -3) and codes this host does
// not know take none. Null when memory runs out.
resbuf* acutBuildList(int type, ...);
// A heap copy of text (null for null).
wchar_t* acutNewString(const wchar_t* text);
void acutDelString(wchar_t*& text);

namespace host {
// How a buffer of the type carries its value.
enum class RbKind { None, Real, Point, Short, Long, Int64, String, Name, Binary, Handle };
RbKind RbKindOf(int type);
// A deep copy of one buffer (next pointer null) or of a whole list.
resbuf* CopyRb(const resbuf* rb);
resbuf* CopyRbList(const resbuf* list);
}  // namespace host
