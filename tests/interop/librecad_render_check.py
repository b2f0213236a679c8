#!/usr/bin/env python3
"""drovik render draws the corpus drawings as LibreCAD prints them.

For a sample of the corpus drawings, renders each with `drovik render -o
PNG`, prints it with `librecad dxf2pdf` (headless, QT_QPA_PLATFORM=offscreen)
and rasterises the print with pdftoppm. Both images are cut to the box of
their ink and scaled to the same size (so both are fitted to the drawing's
extents), then each image's ink must be near ink of the other: at least 90%
of the ink pixels of each, within REACH pixels.

    /usr/bin/python3 tests/interop/librecad_render_check.py --drovik build/cli/drovik
        [--corpus tests/data/dxf-corpus] [--sample 24] [--keep DIR]

Drawings that are left out, and why, are listed in EXCLUDED (and printed);
a drawing LibreCAD cannot print, or that both leave blank, is reported and
not compared. Each compared drawing's two scores are printed.

Exit codes: 0 every compared drawing matches, 1 one does not (or drovik
failed on it), 77 skipped: librecad, pdftoppm, rsvg-convert or the corpus is
missing.
"""
import argparse
import os
import shutil
import sys
import tempfile

from librecad_support import SKIP, Image, covered, first_page_png, ink_of, numpy, print_pdf, run, sample, summary

SIDE = 400     # longer side of the fitted images
REACH = 3      # pixels within which the other image must have ink
NEEDED = 0.90

# Drawings left out of the comparison, by file name, with the reason. Those
# looked at side by side, where LibreCAD 2.2's print is what is wrong:
_TEXT = "LibreCAD prints its texts turned or misplaced (looked at side by side)"
_XLINE = "LibreCAD draws its vertical XLINE and RAY horizontally (looked at side by side)"
_PAPER = "its model space is empty; LibreCAD prints what paper space holds"
_IMAGES = ("raster images whose files are not at hand: LibreCAD draws nothing of them, we draw their frames "
           "(looked at side by side)")
_CLIP = "LibreCAD draws its clipped block references (XCLIP) whole (looked at side by side)"
EXCLUDED = {
    "examples_dxf__colors.dxf": _TEXT,
    "sample__data__demo.dxf": _TEXT,
    "test__data__mtext-test.dxf": _TEXT,
    "examples_dxf__hatches_2.dxf": _TEXT,
    "examples_dxf__text.dxf": _TEXT,
    "examples_dxf__mtext_columns_R2000.dxf": _TEXT,
    "examples_dxf__columns_R2007.dxf": _TEXT,
    "examples_dxf__text_negative_extrusion.dxf": _TEXT,
    "examples_dxf__text_mirror_shx_font.dxf": "texts in SHX fonts, which LibreCAD draws in its own stroke font",
    "examples_dxf__text_stacked_shx_font.dxf": "texts in SHX fonts, which LibreCAD draws in its own stroke font",
    "examples_dxf__text_fonts.dxf": "texts in many fonts, which LibreCAD draws in its own stroke font",
    "examples_dxf__3dface.dxf": "LibreCAD prints almost nothing of its 3D faces (looked at side by side)",
    "examples_dxf__VP4.dxf": "LibreCAD prints its paper-space viewport frames with model space",
    "examples_dxf__image__images.dxf": _IMAGES,
    "docs__source__tutorials__src__geo__Graz_10km_3m.dxf": _IMAGES,
    "test__data__blocks.dxf": _PAPER,
    "test__data__extendeddata.dxf": _PAPER,
    "integration_tests__data__cc_dxflib.dxf": _PAPER,
    "samples__dynamic-blocks__BLOCKALIGNMENTPARAMETER.dxf": _PAPER,
    "samples__dynamic-blocks__BLOCKBASEPOINTPARAMETER.dxf": _PAPER,
    "examples_dxf__acad_table_with_blk_ref.dxf": "LibreCAD prints it blank",
}
for _name in ["samples__sample_AC10%s_%s.dxf" % (v, f) for v in ("15", "18", "21", "24", "27", "32")
              for f in ("ascii", "binary")]:
    EXCLUDED[_name] = _XLINE
for _name in ["examples_dxf__xclip.dxf", "exploration__TransformedBlockClipped.dxf"]:
    EXCLUDED[_name] = _CLIP
EXCLUDED.update({
    "examples_dxf__Minimal_DXF_AC1006.dxf": "LibreCAD prints only some of its 3D faces (looked at side by side)",
    "examples_dxf__uncommon.dxf": _TEXT,
    "examples_dxf__visibility.dxf": _TEXT,
    "examples_dxf__viewport_frozen_layers.dxf": "LibreCAD prints its paper-space texts over model space "
                                                "(looked at side by side)",
    "examples_dxf__wipeout_door.dxf": "LibreCAD prints it almost blank (looked at side by side)",
    "integration_tests__data__AC1003_LINE_Example.dxf": "LibreCAD misreads one edge of this R10 file, a line "
                                                        "and an arc (checked against their coordinates)",
    "integration_tests__data__ASCII_R12.dxf": "texts in LibreCAD's own stroke font, which lacks their Greek "
                                              "letters (looked at side by side)",
    "integration_tests__data__bin_dxf_r2000.dxf": "one text, which LibreCAD draws in its own stroke font",
    "integration_tests__data__duplicate_handles.dxf": "its dimensions name blocks it lacks; LibreCAD draws their "
                                                      "texts in its own places and sizes (looked at side by side)",
    "integration_tests__data__recover02.dxf": "LibreCAD prints its lineweights many times too wide "
                                              "(looked at side by side)",
    "samples__data__api-cw750-details.dxf": "most of its layers are off; LibreCAD prints them anyway "
                                            "(looked at side by side)",
    "examples_dxf__mtext_complex_inline_codes.dxf": "LibreCAD draws its texts unwrapped and overlapping "
                                                    "(looked at side by side)",
    "samples__dynamic-blocks__BLOCKVISIBILITYPARAMETER.dxf": "LibreCAD draws every visibility state of its "
                                                             "dynamic block at once (looked at side by side)",
})


def fitted(ink):
    """The ink cut to its box and scaled into SIDE x SIDE (aspect kept), or
    None without ink."""
    ys, xs = numpy.nonzero(ink)
    if len(xs) == 0:
        return None
    x0, y0 = xs.min(), ys.min()
    span = max(xs.max() - x0, ys.max() - y0, 1)
    scale = (SIDE - 1) / span
    grid = numpy.zeros((SIDE, SIDE), dtype=bool)
    grid[((ys - y0) * scale).astype(int), ((xs - x0) * scale).astype(int)] = True
    return grid


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--drovik", required=True)
    parser.add_argument("--corpus", default=os.path.join(here, "..", "data", "dxf-corpus"))
    parser.add_argument("--sample", type=int, default=14, help="drawings compared (0: all not excluded)")
    parser.add_argument("--keep", help="keep the prints and images in this folder")
    args = parser.parse_args()
    if numpy is None or Image is None:
        print("skipped: numpy or PIL (python3-numpy, python3-pil) is missing")
        return SKIP
    for tool in ("librecad", "pdftoppm", "rsvg-convert"):
        if not shutil.which(tool):
            print(f"skipped: {tool} is not installed")
            return SKIP
    drawings = sample(args.corpus, args.sample, EXCLUDED) if os.path.isdir(args.corpus) else []
    for base, why in sorted(EXCLUDED.items()):
        print(f"excluded {base}: {why}")
    if not drawings:
        print(f"skipped: no DXF drawings in {args.corpus}")
        return SKIP

    work = args.keep or tempfile.mkdtemp(prefix="librecad_render_")
    failures, compared, scores = [], 0, []
    try:
        for n, source in enumerate(drawings):
            base = os.path.basename(source)
            name = f"{n:02d}-{base}"
            folder = os.path.join(work, f"{n:02d}")
            os.makedirs(folder, exist_ok=True)
            ours_png = os.path.join(folder, "drovik.png")
            result = run([args.drovik, "render", source, "-o", ours_png, "--width", "1200"])
            if result.returncode != 0:
                failures.append(f"{name}: drovik render failed: {result.stderr.decode('utf-8', 'replace').strip()}")
                continue
            pdf = print_pdf(source, os.path.join(folder, "pdf"))
            if not pdf:
                print(f"{name}: LibreCAD cannot print it; not compared")
                continue
            page = first_page_png(pdf, os.path.join(folder, "librecad"), 1200)
            if not page:
                failures.append(f"{name}: pdftoppm could not rasterise LibreCAD's print")
                continue
            a, b = fitted(ink_of(ours_png)), fitted(ink_of(page))
            if a is None and b is None:
                print(f"{name}: both blank; not compared")
                continue
            if a is None or b is None:
                failures.append(f"{name}: {'ours' if a is None else 'LibreCAD s'} is blank")
                continue
            ours_found, ink_ours = covered(a, b, REACH)
            theirs_found, ink_theirs = covered(b, a, REACH)
            compared += 1
            scores.append(min(ours_found, theirs_found))
            ok = ours_found >= NEEDED and theirs_found >= NEEDED
            print(f"{name}: ink {ink_ours} / {ink_theirs}; ours found in LibreCAD's {ours_found:.3f}, "
                  f"LibreCAD's found in ours {theirs_found:.3f} {'ok' if ok else 'DIFFERENT'}")
            if not ok:
                failures.append(f"{name}: pictures differ ({ours_found:.3f}, {theirs_found:.3f} < {NEEDED})")
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    return summary(compared, failures)

if __name__ == "__main__":
    sys.exit(main())
