#pragma once
// View control: the rectangle the current view shows, and bringing points
// into it by zooming or panning, optionally saving the view first under a
// name. The rectangle is in the coordinates of "viewctr" (the UCS).
#include "drovik/frame/export.h"
#include "drovik/host/editor.h"

// Lower-left and upper-right corner of the current view; only x and y are
// written.
DROVIK_API void GetViewRange(AcGePoint3d& ptLowerLeft, AcGePoint3d& ptUpperRight);
// Strictly inside the view (a point on the border is outside); z ignored.
DROVIK_API bool IsPointInView(AcGePoint3d pt);
// Zooms to the window of the two corners unless bAlways is false and both
// are in view already; saves the view as strViewName first when not empty.
// True when a zoom was issued.
DROVIK_API bool ZoomViewport(AcGePoint3d ptFirst, AcGePoint3d ptSecond, CString strViewName, bool bAlways);
// Pans pt to the view centre unless bAlways is false and it is in view;
// saves the view first when strViewName is not empty. True when a pan was
// issued; false also when "viewctr" cannot be read.
DROVIK_API bool PanPointViewCenter(AcGePoint3d pt, CString strViewName, bool bAlways);

// Saves the current view without a coordinate system under strViewName,
// replacing a view of that name; nothing for an empty name.
void SaveNamedView(CString strViewName);
