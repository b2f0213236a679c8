#pragma once
// The library's boundary to the host's geometry library (points, vectors,
// matrices, lines, tolerances and the host's arrays).
#include <gearrays.h>
#include <gegeometry.h>
