#pragma once
// Renders the model space of a drawing as an SVG picture.
//
// Every modelled entity is drawn in drawing order: lines, arcs and circles,
// ellipses, lightweight and 2D polylines (bulges as true arcs, widths as
// stroke widths), texts placed, aligned and rotated, and wipeouts as white
// masks over what was drawn before them. Colours come from the colour index
// (by layer resolved through the layer; 7 is black on the white page).
// The y axis points up, as in the drawing. Invisible entities are skipped.
#include <string>

class AcDbDatabase;

namespace drovik::cli {

struct SvgOptions {
    double pageWidthPx = 1600.0;  // the picture's width; its height follows the drawing's extents
    double marginFraction = 0.03; // blank border, as a fraction of the larger extent
};

// The SVG document for the drawing. An empty drawing gives a small blank page.
std::string RenderSvg(AcDbDatabase* pDb, const SvgOptions& options = SvgOptions());

// "#rrggbb" of a palette colour index 1..255 (other values: black).
std::string AciToRgb(int colorIndex);

}  // namespace drovik::cli
