#pragma once
// Small read-only views of a drawing that the drovik commands share.
#include <string>
#include <vector>

#include <dbmain.h>

#include <drovik/drovik.h>

namespace drovik::cli {

// Model-space entities in drawing order (erased ones left out).
std::vector<AcDbObjectId> ModelSpaceEntities(AcDbDatabase* pDb);

// The entity's class name ("AcDbLine", ...) and layer name; false when it
// cannot be opened.
bool DescribeEntity(AcDbObjectId id, std::wstring& className, std::wstring& layer);

// Layer names equal without regard to case (as the drawing compares them).
bool SameLayer(const std::wstring& a, const std::wstring& b);

// The polyline as an open vertex chain (a closed one repeats its first
// vertex at the end); false for anything that is not a polyline of two or
// more vertices.
bool ReadPolylineChain(AcDbObjectId id, CPolyLineVertexArray& chain);

// Length along a segment, as the spacing measures it: XY length of a
// straight, the worked-out arc's length of a bulged one.
double SegmentLength(const CPolyLineVertex& a, const CPolyLineVertex& b);
// Length along count vertices (and back to the first when closed).
double ChainLength(const CPolyLineVertex* vertices, INT_PTR count, bool closed);

// A handle as DXF files write it: upper-case hexadecimal ("2F").
std::string HandleText(unsigned long long handle);
// The handle of a text such as "2F" or "2f" (1 to 16 hex digits); false
// for anything else or for 0, which is no object's handle.
bool ParseHandle(const std::string& text, unsigned long long& handle);

// The polyline's elevation (the z of all its points); 0 for anything that
// is not a polyline.
double PolylineElevation(AcDbObjectId id);

// Makes the layer when the drawing lacks it; false when it cannot.
bool EnsureLayer(AcDbDatabase* pDb, const std::wstring& name, int colorIndex);

}  // namespace drovik::cli
