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
import subprocess
import sys
import tempfile

SKIP = 77
PIXELS = 1000  # longer side of the rasterised page
INK = 200      # grey levels below this are ink
REACH = 2      # pixels within which the other image must have ink
NEEDED = 0.99


def run(cmd, env=None, timeout=300):
    return subprocess.run(cmd, env=env, capture_output=True, timeout=timeout)


def print_pdf(dxf, outdir):
    """The PDF LibreCAD prints of dxf (fitted to the page), or None."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    env.setdefault("XDG_RUNTIME_DIR", tempfile.gettempdir())
    os.makedirs(outdir, exist_ok=True)
    # dxf2pdf's -o takes no value in LibreCAD 2.2; -t names the folder.
    run(["librecad", "dxf2pdf", "-a", "-t", outdir, dxf], env=env)
    pdf = os.path.join(outdir, os.path.splitext(os.path.basename(dxf))[0] + ".pdf")
    return pdf if os.path.exists(pdf) and os.path.getsize(pdf) > 0 else None


def raster(pdf, stem):
    """(width, height, rows as ink bit masks) of the PDF's first page."""
    result = run(["pdftoppm", "-f", "1", "-l", "1", "-gray", "-scale-to", str(PIXELS), pdf, stem])
    pages = [p for p in os.listdir(os.path.dirname(stem)) if p.startswith(os.path.basename(stem)) and p.endswith(".pgm")]
    if result.returncode != 0 or not pages:
        return None
    with open(os.path.join(os.path.dirname(stem), sorted(pages)[0]), "rb") as f:
        data = f.read()
    # Binary PGM: "P5", width, height, maximum, one byte per pixel.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    rows = []
    for y in range(height):
        row = data[pos + y * width:pos + (y + 1) * width]
        mask = 0
        for x, value in enumerate(row):
            if value < INK:
                mask |= 1 << x
        rows.append(mask)
    return width, height, rows


def dilate(rows, width):
    full = (1 << width) - 1
    across = []
    for mask in rows:
        grown = mask
        for d in range(1, REACH + 1):
            grown |= (mask << d) | (mask >> d)
        across.append(grown & full)
    out = []
    for y in range(len(rows)):
        grown = 0
        for dy in range(-REACH, REACH + 1):
            if 0 <= y + dy < len(rows):
                grown |= across[y + dy]
        out.append(grown)
    return out


def covered(a, b, width):
    """Share of a's ink that b has within REACH pixels (1.0 for no ink)."""
    near = dilate(b, width)
    ink = sum(bin(m).count("1") for m in a)
    hit = sum(bin(m & n).count("1") for m, n in zip(a, near))
    return 1.0 if ink == 0 else hit / ink, ink


def sample(corpus, count):
    files = []
    for root, _, names in os.walk(corpus):
        files += [os.path.join(root, n) for n in names if n.lower().endswith(".dxf")]
    files.sort()
    if len(files) <= count:
        return files
    step = len(files) / count
    return [files[int(i * step)] for i in range(count)]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--drovik", required=True)
    parser.add_argument("--corpus", default=os.path.join(here, "..", "data", "dxf-corpus"))
    parser.add_argument("--sample", type=int, default=8)
    parser.add_argument("--keep", help="keep the prints and images in this folder")
    args = parser.parse_args()
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
            img_in = raster(pdf_in, os.path.join(folder, "in-page"))
            img_out = raster(pdf_out, os.path.join(folder, "out-page"))
            if not img_in or not img_out:
                failures.append(f"{name}: pdftoppm could not rasterise a print")
                continue
            if img_in[:2] != img_out[:2]:
                failures.append(f"{name}: pages differ in shape: {img_in[:2]} and {img_out[:2]}")
                continue
            width = img_in[0]
            share_out, ink_in = covered(img_in[2], img_out[2], width)
            share_in, ink_out = covered(img_out[2], img_in[2], width)
            compared += 1
            ok = share_out >= NEEDED and share_in >= NEEDED
            print(f"{name}: ink {ink_in} / {ink_out} pixels; input ink found in output {share_out:.4f}, "
                  f"output ink found in input {share_in:.4f} {'ok' if ok else 'DIFFERENT'}")
            if not ok:
                failures.append(f"{name}: prints differ ({share_out:.4f}, {share_in:.4f} < {NEEDED})")
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAILED " + failure)
    print(f"{compared} drawings compared, {len(failures)} failed")
    if compared == 0 and not failures:
        print("skipped: LibreCAD printed none of the sampled drawings")
        return SKIP
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
