#pragma once
// PNG pictures: an SVG document rasterised by librsvg's rsvg-convert.
#include <string>

namespace drovik::cli {

// The program that turns SVG into PNG.
extern const char* const kRasteriser;  // "rsvg-convert"

// The rasteriser's path, searched for on PATH; false when it is not there.
bool FindRasteriser(std::string& path);

// Writes the SVG as a PNG of `widthPx` pixels across to `output`, through
// a temporary file beside it that is renamed over it, so a failure leaves
// no half-written picture. Throws FileError naming the output and the cause
// (the rasteriser could not be started, or failed with its message).
void RasteriseSvg(const std::string& rasteriser, const std::string& svg, const std::string& output, int widthPx);

}  // namespace drovik::cli
