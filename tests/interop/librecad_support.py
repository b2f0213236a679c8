"""What the LibreCAD checks share: LibreCAD's print of a drawing, a page as
its ink pixels, how much of one image's ink the other has nearby, an even
sample of the corpus, and the closing summary.
"""
import os
import subprocess
import tempfile

try:
    import numpy
    from PIL import Image
except ImportError:  # the checks report it as a skip
    numpy = Image = None

SKIP = 77
INK = 200  # grey levels below this are ink


def run(cmd, env=None, timeout=300):
    return subprocess.run(cmd, env=env, capture_output=True, timeout=timeout)


def print_pdf(dxf, outdir):
    """The PDF LibreCAD prints of dxf (fitted to the page), or None."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    env.setdefault("XDG_RUNTIME_DIR", tempfile.gettempdir())
    os.makedirs(outdir, exist_ok=True)
    # dxf2pdf's -o takes no value in LibreCAD 2.2; -t names the folder.
    try:
        run(["librecad", "dxf2pdf", "-a", "-t", outdir, dxf], env=env, timeout=120)
    except subprocess.TimeoutExpired:
        return None
    pdf = os.path.join(outdir, os.path.splitext(os.path.basename(dxf))[0] + ".pdf")
    return pdf if os.path.exists(pdf) and os.path.getsize(pdf) > 0 else None


def first_page_png(pdf, stem, pixels):
    """The PDF's first page as a PNG of `pixels` on its longer side, or None."""
    run(["pdftoppm", "-f", "1", "-l", "1", "-png", "-scale-to", str(pixels), pdf, stem])
    folder, base = os.path.dirname(stem), os.path.basename(stem)
    pages = sorted(p for p in os.listdir(folder) if p.startswith(base) and p.endswith(".png"))
    return os.path.join(folder, pages[0]) if pages else None


def ink_of(path):
    """The image's ink as a boolean array (transparent pixels are paper)."""
    image = Image.open(path)
    if image.mode in ("RGBA", "LA", "P"):
        image = image.convert("RGBA")
        paper = Image.new("RGBA", image.size, (255, 255, 255, 255))
        paper.alpha_composite(image)
        image = paper
    return numpy.asarray(image.convert("L")) < INK


def covered(a, b, reach):
    """Share of a's ink that b has within `reach` pixels (1.0 without ink),
    and a's ink count; a and b have the same shape."""
    near = numpy.zeros_like(b)
    for dy in range(-reach, reach + 1):
        for dx in range(-reach, reach + 1):
            near |= numpy.roll(numpy.roll(b, dy, axis=0), dx, axis=1)
    ink = int(a.sum())
    return (float((a & near).sum()) / ink if ink else 1.0), ink


def sample(corpus, count, excluded=()):
    """count drawings spread evenly over those not excluded (0: all)."""
    files = []
    for root, _, names in os.walk(corpus):
        files += [os.path.join(root, n) for n in names if n.lower().endswith(".dxf") and n not in excluded]
    files.sort()
    if count <= 0 or len(files) <= count:
        return files
    step = len(files) / count
    return [files[int(i * step)] for i in range(count)]


def summary(compared, failures):
    """Prints the failures and the count; the exit code (SKIP when nothing
    could be compared)."""
    for failure in failures:
        print("FAILED " + failure)
    print(f"{compared} drawings compared, {len(failures)} failed")
    if compared == 0 and not failures:
        print("skipped: LibreCAD printed none of the sampled drawings")
        return SKIP
    return 1 if failures else 0
