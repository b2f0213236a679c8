#pragma once
// A fully worked-out circular arc (see conventions.h: always counter-clockwise).
#include "drovik/frame/export.h"
#include "drovik/host/geometry.h"

struct DROVIK_API stArcPara {
    AcGePoint3d ptStart;   // start point
    AcGePoint3d ptEnd;     // end point
    AcGePoint3d ptCenter;  // centre
    AcGePoint3d ptMid;     // point halfway by angle between start and end
    double radius = 0.0;
    double length = 0.0;      // angle * radius
    double startAngle = 0.0;  // polar angle of ptStart about ptCenter, [0, 2*pi)
    double endAngle = 0.0;    // polar angle of ptEnd about ptCenter, [0, 2*pi)
    double angle = 0.0;       // included angle, [0, 2*pi)

    stArcPara();
    stArcPara(const stArcPara& other);
    stArcPara& operator=(const stArcPara& other);

    // Recomputes ptStart, ptEnd, ptMid, angle and length from ptCenter,
    // radius, startAngle and endAngle. Equal angles give angle 0, length 0
    // and an undefined middle point.
    void Reset();
};
