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

Drawings that are left out, and why, are listed in EXCLUDED; a drawing
LibreCAD cannot print is reported and not compared.

Exit codes: 0 every compared drawing matches, 1 one does not (or drovik
failed on it), 77 skipped: librecad, pdftoppm, rsvg-convert or the corpus is
missing.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

try:
    import numpy
    from PIL import Image
except ImportError:  # reported as a skip in main
    numpy = Image = None

SKIP = 77
SIDE = 400     # longer side of the fitted images
INK = 200      # grey levels below this are ink
REACH = 3      # pixels within which the other image must have ink
NEEDED = 0.90

# Drawings left out of the comparison, by file name, with the reason.
EXCLUDED = {
}


def run(cmd, env=None, timeout=300):
    return subprocess.run(cmd, env=env, capture_output=True, timeout=timeout)


def print_pdf(dxf, outdir):
    """The PDF LibreCAD prints of dxf (fitted to the page), or None."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    env.setdefault("XDG_RUNTIME_DIR", tempfile.gettempdir())
    os.makedirs(outdir, exist_ok=True)
    try:
        run(["librecad", "dxf2pdf", "-a", "-t", outdir, dxf], env=env, timeout=120)
    except subprocess.TimeoutExpired:
        return None
    pdf = os.path.join(outdir, os.path.splitext(os.path.basename(dxf))[0] + ".pdf")
    return pdf if os.path.exists(pdf) and os.path.getsize(pdf) > 0 else None


def ink_of(path):
    """The image's ink as a boolean array (transparent pixels are paper)."""
    image = Image.open(path)
    if image.mode in ("RGBA", "LA", "P"):
        image = image.convert("RGBA")
        paper = Image.new("RGBA", image.size, (255, 255, 255, 255))
        paper.alpha_composite(image)
        image = paper
    return numpy.asarray(image.convert("L")) < INK


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


def covered(a, b):
    """Share of a's ink that b has within REACH pixels, and a's ink count."""
    near = numpy.zeros_like(b)
    for dy in range(-REACH, REACH + 1):
        for dx in range(-REACH, REACH + 1):
            near |= numpy.roll(numpy.roll(b, dy, axis=0), dx, axis=1)
    ink = int(a.sum())
    return (float((a & near).sum()) / ink if ink else 1.0), ink


def sample(corpus, count):
    files = []
    for root, _, names in os.walk(corpus):
        files += [os.path.join(root, n) for n in names if n.lower().endswith(".dxf")]
    files.sort()
    if count <= 0 or len(files) <= count:
        return files
    step = len(files) / count
    return [files[int(i * step)] for i in range(count)]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--drovik", required=True)
    parser.add_argument("--corpus", default=os.path.join(here, "..", "data", "dxf-corpus"))
    parser.add_argument("--sample", type=int, default=24, help="drawings compared (0: all)")
    parser.add_argument("--keep", help="keep the prints and images in this folder")
    args = parser.parse_args()
    if numpy is None or Image is None:
        print("skipped: numpy or PIL (python3-numpy, python3-pil) is missing")
        return SKIP
    for tool in ("librecad", "pdftoppm", "rsvg-convert"):
        if not shutil.which(tool):
            print(f"skipped: {tool} is not installed")
            return SKIP
    drawings = sample(args.corpus, args.sample) if os.path.isdir(args.corpus) else []
    if not drawings:
        print(f"skipped: no DXF drawings in {args.corpus}")
        return SKIP

    work = args.keep or tempfile.mkdtemp(prefix="librecad_render_")
    failures, compared, scores = [], 0, []
    try:
        for n, source in enumerate(drawings):
            base = os.path.basename(source)
            name = f"{n:02d}-{base}"
            if base in EXCLUDED:
                print(f"{name}: excluded: {EXCLUDED[base]}")
                continue
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
            stem = os.path.join(folder, "librecad")
            run(["pdftoppm", "-f", "1", "-l", "1", "-png", "-scale-to", "1200", pdf, stem])
            pages = sorted(p for p in os.listdir(folder) if p.startswith("librecad") and p.endswith(".png"))
            if not pages:
                failures.append(f"{name}: pdftoppm could not rasterise LibreCAD's print")
                continue
            a, b = fitted(ink_of(ours_png)), fitted(ink_of(os.path.join(folder, pages[0])))
            if a is None and b is None:
                print(f"{name}: both blank; not compared")
                continue
            if a is None or b is None:
                failures.append(f"{name}: {'ours' if a is None else 'LibreCAD s'} is blank")
                continue
            ours_found, ink_ours = covered(a, b)
            theirs_found, ink_theirs = covered(b, a)
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
    for failure in failures:
        print("FAILED " + failure)
    print(f"{compared} drawings compared, {len(failures)} failed")
    if compared == 0 and not failures:
        print("skipped: LibreCAD printed none of the sampled drawings")
        return SKIP
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
