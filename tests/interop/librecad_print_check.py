#!/usr/bin/env python3
"""LibreCAD prints what `drovik convert` writes as it prints the input.

For a sample of the corpus drawings, converts each with `drovik convert`,
prints the input and the output to PDF with `librecad dxf2pdf` (headless,
QT_QPA_PLATFORM=offscreen), rasterises both pages with pdftoppm at the same
pixel size, and requires that at least 99% of the ink pixels of each image
have ink of the other image within 2 pixels.

    /usr/bin/python3 tests/interop/librecad_print_check.py --drovik build/cli/drovik
        [--corpus tests/data/dxf-corpus] [--sample 8] [--keep DIR]

Exit codes: 0 every sampled drawing prints the same, 1 one does not (or
drovik could not convert it), 77 skipped: librecad, pdftoppm or the corpus
is missing.
"""
import argparse
import os
import shutil
import sys
import tempfile

from librecad_support import SKIP, Image, covered, first_page_png, ink_of, numpy, print_pdf, run, sample, summary

PIXELS = 1000  # longer side of the rasterised page
REACH = 2      # pixels within which the other image must have ink
NEEDED = 0.99


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--drovik", required=True)
    parser.add_argument("--corpus", default=os.path.join(here, "..", "data", "dxf-corpus"))
    parser.add_argument("--sample", type=int, default=8)
    parser.add_argument("--keep", help="keep the prints and images in this folder")
    args = parser.parse_args()
    if numpy is None or Image is None:
        print("skipped: numpy or PIL (python3-numpy, python3-pil) is missing")
        return SKIP
    for tool in ("librecad", "pdftoppm"):
        if not shutil.which(tool):
            print(f"skipped: {tool} is not installed")
            return SKIP
    drawings = sample(args.corpus, args.sample) if os.path.isdir(args.corpus) else []
    if not drawings:
        print(f"skipped: no DXF drawings in {args.corpus}")
        return SKIP

    work = args.keep or tempfile.mkdtemp(prefix="librecad_print_")
    failures, compared = [], 0
    try:
        for n, source in enumerate(drawings):
            name = f"{n:02d}-{os.path.basename(source)}"
            folder = os.path.join(work, f"{n:02d}")
            os.makedirs(folder, exist_ok=True)
            before = os.path.join(folder, "in", name)
            after = os.path.join(folder, "out", name)
            os.makedirs(os.path.dirname(before), exist_ok=True)
            os.makedirs(os.path.dirname(after), exist_ok=True)
            shutil.copyfile(source, before)
            conv = run([args.drovik, "convert", before, "-o", after])
            if conv.returncode != 0:
                failures.append(f"{name}: drovik convert failed: {conv.stderr.decode('utf-8', 'replace').strip()}")
                continue
            pdf_in = print_pdf(before, os.path.join(folder, "pdf-in"))
            if not pdf_in:
                print(f"{name}: LibreCAD cannot print the input; not compared")
                continue
            pdf_out = print_pdf(after, os.path.join(folder, "pdf-out"))
            if not pdf_out:
                failures.append(f"{name}: LibreCAD prints the input but not drovik's output")
                continue
            page_in = first_page_png(pdf_in, os.path.join(folder, "in-page"), PIXELS)
            page_out = first_page_png(pdf_out, os.path.join(folder, "out-page"), PIXELS)
            if not page_in or not page_out:
                failures.append(f"{name}: pdftoppm could not rasterise a print")
                continue
            img_in, img_out = ink_of(page_in), ink_of(page_out)
            if img_in.shape != img_out.shape:
                failures.append(f"{name}: pages differ in shape: {img_in.shape} and {img_out.shape}")
                continue
            share_out, ink_in = covered(img_in, img_out, REACH)
            share_in, ink_out = covered(img_out, img_in, REACH)
            compared += 1
            ok = share_out >= NEEDED and share_in >= NEEDED
            print(f"{name}: ink {ink_in} / {ink_out} pixels; input ink found in output {share_out:.4f}, "
                  f"output ink found in input {share_in:.4f} {'ok' if ok else 'DIFFERENT'}")
            if not ok:
                failures.append(f"{name}: prints differ ({share_out:.4f}, {share_in:.4f} < {NEEDED})")
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    return summary(compared, failures)

if __name__ == "__main__":
    sys.exit(main())
