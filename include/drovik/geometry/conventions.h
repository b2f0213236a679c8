#pragma once
// Geometry conventions shared by every Drovik routine.
//
// - Geometry is planar in XY; Z is carried along (a point derived from a
//   centre or a foot point takes that point's Z).
// - Angles are radians, counter-clockwise from +X about +Z; directions are
//   in [0, 2*pi).
// - Bulge: the segment from a vertex to the next is an arc when its bulge is
//   not 0; bulge = tan(theta / 4) with theta the included angle; positive
//   turns counter-clockwise (left), negative clockwise; |bulge| = 1 is a half
//   circle. The bulge of the last vertex of an open chain belongs to no
//   segment.
// - An stArcPara always runs counter-clockwise from ptStart to ptEnd,
//   whatever direction its source runs in.
// - Tolerance: points closer than 0.001 drawing units (strictly) coincide.
//   Each routine's comment names any other threshold it uses.
//
// Located points (the results of the measuring routines) are CPolyLineVertex
// values whose `bulge` member holds the direction of travel, in [0, 2*pi).
