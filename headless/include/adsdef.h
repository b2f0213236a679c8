#pragma once
// Headless host: the ADS value types and the result buffer.
//
// An ads_name is two longs; for an entity this host stores the database's
// serial number and the object's handle in them. Result-buffer lists are
// linked through rbnext and released with acutRelRb (acutads.h).
#include <cstdint>

using ads_real = double;
using ads_point = ads_real[3];
using ads_name = long[2];
using ads_matrix = ads_real[4][4];
using ads_pointp = ads_real*;
using ads_namep = long*;

enum { X = 0, Y = 1, Z = 2 };

struct ads_binary {
    short clen;
    char* buf;
};

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    wchar_t* rstring;
    long rlname[2];
    std::int32_t rlong;
    std::int64_t mnInt64;
    ads_binary rbinary;
    unsigned char ihandle[8];
};

struct resbuf {
    resbuf* rbnext;
    short restype;
    ads_u_val resval;
};
