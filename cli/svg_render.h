#pragma once
// Renders a drawing's model space, or one of its paper-space layouts, as an
// SVG picture.
//
// Every entity is drawn in drawing order, as the host models it or, for an
// entity kept as read, as its kind is modelled elsewhere: lines, arcs,
// circles, ellipses and splines as true curves (arcs and ellipses as cubic
// Bezier pieces, splines finely sampled); lightweight, 2D and 3D polylines
// (bulges as arcs, widths as stroke widths); points as dots; solids and
// traces filled, 3D faces by their visible edges; wipeouts as white masks
// over what was drawn before them; texts and attributes placed, aligned and
// turned; multi-line texts by their lines (paragraph breaks, wrapping at
// their width about as the host lays them out, and their attachment);
// block references through their block's entities with the reference's
// transform (nested, arrays in rows and columns, with their attributes);
// dimensions and tables through their blocks; leaders by their vertices;
// hatches filled when solid, by their pattern lines otherwise (by their
// boundary when those are too many), titled with the pattern's name.
// Colours: true colours, else the colour index (by layer, by block; 7 is
// black on the white page). Lineweights widen strokes as on a page 420 mm
// wide. Invisible entities and those on layers that are off or frozen are
// left out; an entity on layer 0 inside a block takes the reference's
// layer, colour and lineweight where it says "by block". The y axis points
// up, as in the drawing.
#include <string>
#include <vector>

#include <dbmain.h>

namespace drovik::cli {

struct SvgOptions {
    double pageWidthPx = 1600.0;  // the picture's width; its height follows the drawing's extents
    double marginFraction = 0.03; // blank border, as a fraction of the larger extent
    AcDbObjectId space;           // the block record drawn: null for model space
};

// The SVG document for the drawing. An empty drawing gives a small blank page.
std::string RenderSvg(AcDbDatabase* pDb, const SvgOptions& options = SvgOptions());

// The names of the drawing's layouts: "Model", then the paper-space
// layouts the file names (for a drawing without layout records, the block
// record names of its paper spaces).
std::vector<std::wstring> LayoutNames(AcDbDatabase* pDb);
// The block record a layout draws ("Model" and its model space, a layout's
// name, or the name of a paper-space block record such as "*Paper_Space"),
// compared without regard to case; null when the drawing has none of that name.
AcDbObjectId LayoutSpace(AcDbDatabase* pDb, const std::wstring& name);

// "#rrggbb" of a palette colour index 1..255 (other values: black).
std::string AciToRgb(int colorIndex);

}  // namespace drovik::cli
