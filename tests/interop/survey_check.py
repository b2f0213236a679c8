#!/usr/bin/python3
"""Checks the drawing examples/survey saves, as ezdxf reads it.

  survey_check.py SURVEY.dxf

The wells are block references to SURVEY_WELL with the attributes NO and DEPTH,
each labelled by an MText; the pipe is a 3D polyline through the wells; the
audit is clean. Exit status 0, or 1 with the reasons on stderr; 0 with a note
when ezdxf is missing.
"""
import sys

try:
    import ezdxf
except ImportError:
    print("survey_check: no ezdxf, not checked")
    sys.exit(0)

WELLS = {"W1": (0, 0, 101.25), "W2": (40, 10, 100.80), "W3": (85, 5, 99.95), "W4": (120, 30, 99.10)}


def main():
    doc = ezdxf.readfile(sys.argv[1])
    msp = doc.modelspace()
    faults = []
    refs = msp.query("INSERT")
    found = {}
    for ref in refs:
        if ref.dxf.name != "SURVEY_WELL":
            faults.append("reference to %s" % ref.dxf.name)
            continue
        tags = {a.dxf.tag: a.dxf.text for a in ref.attribs}
        if set(tags) != {"NO", "DEPTH"}:
            faults.append("well attributes %s" % sorted(tags))
            continue
        found[tags["NO"]] = (ref.dxf.insert, tags["DEPTH"])
    for no, (x, y, z) in WELLS.items():
        if no not in found:
            faults.append("well %s missing" % no)
            continue
        at, depth = found[no]
        if abs(at.x - x) > 1e-9 or abs(at.y - y) > 1e-9:
            faults.append("well %s at %s" % (no, at))
        if abs(float(depth) - z) > 0.005:
            faults.append("well %s depth %s" % (no, depth))
    labels = msp.query("MTEXT")
    if len(labels) != len(WELLS) or not all(m.dxf.char_height == 1.5 for m in labels):
        faults.append("%d labels" % len(labels))
    for no in WELLS:
        if not any(no in m.text for m in labels):
            faults.append("no label for %s" % no)
    pipes = [p for p in msp.query("POLYLINE") if p.is_3d_polyline]
    if len(pipes) != 1:
        faults.append("%d 3D polylines" % len(pipes))
    else:
        pts = [tuple(v) for v in pipes[0].points()]
        want = [tuple(float(c) for c in w) for w in WELLS.values()]
        if len(pts) != len(want) or any(max(abs(a - b) for a, b in zip(p, q)) > 1e-9 for p, q in zip(pts, want)):
            faults.append("pipe through %s" % pts)
    auditor = doc.audit()
    if auditor.has_errors:
        faults.extend(str(e.message) for e in auditor.errors)
    if faults:
        sys.stderr.write("survey drawing: " + "; ".join(faults) + "\n")
        sys.exit(1)
    print("survey drawing: %d wells, %d labels, 1 pipe, audit clean" % (len(found), len(labels)))


if __name__ == "__main__":
    main()
