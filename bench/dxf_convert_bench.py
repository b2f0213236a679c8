#!/usr/bin/env python3
"""`drovik convert` of a drawing of 100,000 mixed entities, half of them of
kinds the headless host does not model (MTEXT, INSERT with attributes,
HATCH, SPLINE, DIMENSION), against a dxflib parse of the same file
(bench/dxflib_read) and ezdxf's readfile + saveas, side by side in one run.

    /usr/bin/python3 bench/dxf_convert_bench.py [--build build] [--runs 5] [--entities 100000]

The drawing is made once with ezdxf and cached under BUILD/bench-data/.
Prints medians, the peak memory of drovik convert (its maximum resident set,
measured by /usr/bin/time) and the ratios against the targets: convert at
most 0.6 times the dxflib parse, at least 25 times faster than ezdxf, peak
memory at most 4 times the file's size. Exits 1 when a target is missed,
2 when a tool is missing.
"""
import argparse
import math
import os
import statistics
import subprocess
import sys
import tempfile
import time


def reexec_with_debian_python():
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)


def generate(path, count):
    """count entities: half LINE, ARC, CIRCLE, LWPOLYLINE, TEXT; half MTEXT,
    INSERT with two attributes, HATCH, SPLINE, DIMENSION (a tenth each)."""
    import ezdxf

    doc = ezdxf.new("R2018", setup=True)
    msp = doc.modelspace()
    block = doc.blocks.new("MARK")
    block.add_circle((0, 0), 0.5)
    block.add_attdef("ID", (0.6, 0), dxfattribs={"height": 0.3})
    block.add_attdef("NOTE", (0.6, -0.4), dxfattribs={"height": 0.2})
    for layer in ("ROAD", "PIPE", "NOTES", "MARKS"):
        doc.layers.add(layer)
    side = int(math.sqrt(count)) + 1
    for i in range(count):
        kind, x, y = i % 10, (i % side) * 10.0, (i // side) * 10.0
        attribs = {"layer": ("ROAD", "PIPE", "NOTES", "MARKS")[i % 4]}
        if kind == 0:
            msp.add_line((x, y), (x + 5, y + 3), dxfattribs=attribs)
        elif kind == 1:
            msp.add_arc((x, y), 3, 10, 170, dxfattribs=attribs)
        elif kind == 2:
            msp.add_circle((x, y), 2.5, dxfattribs=attribs)
        elif kind == 3:
            msp.add_lwpolyline([(x, y, 0, 0, 0.3), (x + 4, y, 0, 0, 0), (x + 4, y + 4), (x, y + 4)],
                               format="xyseb", dxfattribs=attribs)
        elif kind == 4:
            msp.add_text(f"T{i}", height=1.0, dxfattribs=attribs).set_placement((x, y))
        elif kind == 5:
            msp.add_mtext(f"M{i}\\Psecond line", dxfattribs=dict(attribs, char_height=0.8, insert=(x, y)))
        elif kind == 6:
            ref = msp.add_blockref("MARK", (x, y), dxfattribs=attribs)
            ref.add_auto_attribs({"ID": str(i), "NOTE": "n"})
        elif kind == 7:
            hatch = msp.add_hatch(color=3, dxfattribs=attribs)
            hatch.paths.add_polyline_path([(x, y), (x + 3, y), (x + 3, y + 3), (x, y + 3)], is_closed=True)
        elif kind == 8:
            msp.add_spline([(x, y), (x + 1, y + 2), (x + 3, y + 1), (x + 4, y + 3)], dxfattribs=attribs)
        else:
            dim = msp.add_linear_dim(base=(x, y + 2), p1=(x, y), p2=(x + 4, y), dxfattribs=attribs)
            dim.render()
    tmp = path + ".part"
    doc.saveas(tmp)
    os.replace(tmp, path)


EZDXF_ROUND_TRIP = """
import sys, time, ezdxf
t0 = time.perf_counter()
ezdxf.readfile(sys.argv[1]).saveas(sys.argv[2])
print(time.perf_counter() - t0)
"""


def run_measured(cmd):
    """Wall seconds and peak resident memory (bytes) of one process, through
    /usr/bin/time when there is one (rusage of a child forked from this
    script can count the script's own memory)."""
    timer = ["/usr/bin/time", "-f", "%M"] if os.access("/usr/bin/time", os.X_OK) else []
    start = time.perf_counter()
    proc = subprocess.Popen(timer + cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    err = proc.stderr.read().decode("utf-8", "replace")
    proc.stderr.close()
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit(f"{cmd[0]} failed ({proc.returncode}): {err.strip()}")
    peak_kib = int(err.strip().splitlines()[-1]) if timer else usage.ru_maxrss  # Linux reports KiB
    return seconds, peak_kib * 1024


def main():
    try:
        import ezdxf
    except ImportError:
        reexec_with_debian_python()
        print("ezdxf is missing: install python3-ezdxf", file=sys.stderr)
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--drovik", help="the drovik program (default BUILD/cli/drovik)")
    parser.add_argument("--dxflib", help="bench/dxflib_read (default BUILD/bench/dxflib_read)")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--entities", type=int, default=100000)
    args = parser.parse_args()
    drovik = args.drovik or os.path.join(args.build, "cli", "drovik")
    dxflib = args.dxflib or os.path.join(args.build, "bench", "dxflib_read")
    for tool, hint in ((drovik, "build the drovik_cli target"), (dxflib, "install libdxflib-dev, build dxflib_read")):
        if not os.access(tool, os.X_OK):
            print(f"missing {tool}: {hint}", file=sys.stderr)
            return 2

    cache = os.path.join(args.build, "bench-data")
    os.makedirs(cache, exist_ok=True)
    src = os.path.join(cache, f"mixed-{args.entities}.dxf")
    if not os.path.exists(src):
        print(f"generating {src} with ezdxf (once)...", file=sys.stderr)
        generate(src, args.entities)
    size = os.path.getsize(src)

    convert, memory, parse, ez = [], [], [], []
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "drovik.dxf")
        for _ in range(args.runs):
            seconds, peak = run_measured([drovik, "convert", src, "-o", out, "--overwrite"])
            convert.append(seconds)
            memory.append(peak)
            parse.append(run_measured([dxflib, src])[0])
            # In its own process, so this script stays small.
            ez.append(float(subprocess.run(["/usr/bin/python3", "-c", EZDXF_ROUND_TRIP, src,
                                            os.path.join(tmp, "ezdxf.dxf")],
                                           check=True, capture_output=True, text=True).stdout))
    c, m, p, e = (statistics.median(x) for x in (convert, memory, parse, ez))
    print(f"file: {args.entities} entities (half MTEXT, INSERT+ATTRIB, HATCH, SPLINE, DIMENSION), "
          f"{size / 1e6:.1f} MB, {args.runs} runs, medians")
    print(f"drovik convert            {c:8.3f} s   peak memory {m / 1e6:.1f} MB")
    print(f"dxflib parse              {p:8.3f} s")
    print(f"ezdxf readfile + saveas   {e:8.3f} s")
    checks = [
        (f"convert / dxflib parse   {c / p:6.2f}x   target <= 0.6x", c / p <= 0.6),
        (f"ezdxf / convert          {e / c:6.1f}x   target >= 25x", e / c >= 25),
        (f"peak memory / file size  {m / size:6.2f}x   target <= 4x", m / size <= 4),
    ]
    for text, ok in checks:
        print(f"{text}   {'met' if ok else 'MISSED'}")
    return 0 if all(ok for _, ok in checks) else 1


if __name__ == "__main__":
    sys.exit(main())
