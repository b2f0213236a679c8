#pragma once
// Headless host: the host's named arrays of geometry values.
#include "acarray.h"
#include "gepnt2d.h"
#include "gepnt3d.h"
#include "gevec3d.h"

using AcGePoint3dArray = AcArray<AcGePoint3d>;
using AcGePoint2dArray = AcArray<AcGePoint2d>;
using AcGeVector3dArray = AcArray<AcGeVector3d>;
using AcGeDoubleArray = AcArray<double>;
using AcGeIntArray = AcArray<int>;
