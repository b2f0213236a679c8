#!/usr/bin/env python3
"""Load and save times of a DXF drawing of 100,000 mixed entities: the
headless host (through build/headless/dxftool) against ezdxf's readfile and
saveas, measured in the same run on the same file, with the ratios.

    bench/dxf_vs_ezdxf.py [--tool build/headless/dxftool] [--runs 5] [--entities 100000]

Needs Debian's python3-ezdxf; run it with /usr/bin/python3 (or the script
re-runs itself with it). Prints medians; targets: ours at most 1 s each and
at least 20 times faster than ezdxf, and under 1 KiB of memory per entity
while loading.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def ours(tool, args):
    out = subprocess.run([tool] + args, check=True, capture_output=True, text=True).stdout
    values = {}
    for line in out.splitlines():
        key, _, value = line.partition(" ")
        values[key] = value
    return values


def main():
    try:
        import ezdxf
    except ImportError:
        if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
            os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
        sys.exit("ezdxf is missing: install python3-ezdxf")
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default=os.path.join(here, "..", "build", "headless", "dxftool"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--entities", type=int, default=100000)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "mixed.dxf")
        subprocess.run([args.tool, "gen", str(args.entities), src], check=True)
        size = os.path.getsize(src)
        our_load, our_save, per_entity = [], [], []
        ez_load, ez_save = [], []
        for _ in range(args.runs):
            v = ours(args.tool, ["load", src])
            our_load.append(float(v["load_seconds"]))
            per_entity.append(float(v["bytes_per_entity"]))
            our_save.append(float(ours(args.tool, ["save", src, os.path.join(tmp, "ours.dxf")])["save_seconds"]))
            t0 = time.perf_counter()
            doc = ezdxf.readfile(src)
            t1 = time.perf_counter()
            doc.saveas(os.path.join(tmp, "ezdxf.dxf"))
            t2 = time.perf_counter()
            ez_load.append(t1 - t0)
            ez_save.append(t2 - t1)
            del doc
        ol, os_, el, es = (statistics.median(x) for x in (our_load, our_save, ez_load, ez_save))
        print(f"file: {args.entities} entities, {size / 1e6:.1f} MB, {args.runs} runs, medians")
        print(f"load: ours {ol:.3f} s   ezdxf readfile {el:.3f} s   ratio {el / ol:.1f}x")
        print(f"save: ours {os_:.3f} s   ezdxf saveas   {es:.3f} s   ratio {es / os_:.1f}x")
        print(f"memory while loading: {statistics.median(per_entity):.0f} bytes per entity (peak RSS growth)")
        ok = ol <= 1.0 and os_ <= 1.0 and el / ol >= 20 and es / os_ >= 20 and statistics.median(per_entity) < 1024
        print("targets met" if ok else "TARGETS MISSED")
        return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
