"""Compares a Drovik parallel offset with GEOS (Debian's python3-shapely).

    /usr/bin/python3 offset_oracle.py CASE

CASE is a text file written by the C++ test:

    distance D
    join round|mitre
    limit R
    input
    chain CLOSED N
    X Y BULGE        (N lines)
    ...
    result
    chain CLOSED N
    ...

Arcs are densified with chords no farther than SAGITTA from the true arc.
For round joins the expected region is built from the buffers of the single
chords (GEOS buffers with 64 segments a quarter circle, and a chord has no
inner vertices for GEOS's input simplification to remove); for mitres the
whole outline is buffered, and GEOS first simplifies shallow concavities of
up to 1% of the distance, which widens the tolerances by that much. Prints,
one per line:

    area OURS THEIRS TOL        (closed input: signed area of the result)
    length OURS THEIRS TOL
    hausdorff VALUE TOL

For closed input the material (the rings' even-odd interior) is buffered
by -D; its boundary is the expected result. For open input the result of D
and of -D together (the test passes both) must match the buffer's boundary
away from the end caps: every result point lies on the boundary, and every
boundary point farther than |D| + TOL from both end points lies on a result.
"""
import math
import sys

from shapely.geometry import LineString, MultiLineString, Point, Polygon
from shapely.ops import unary_union

SAGITTA = 1e-4
QUAD_SEGS = 64


def densify(chain):
    closed, vertices = chain
    n = len(vertices)
    segments = n if closed else n - 1
    points = [vertices[0][:2]]
    for i in range(segments):
        x0, y0, bulge = vertices[i]
        x1, y1, _ = vertices[(i + 1) % n]
        if abs(bulge) <= 1e-4:
            points.append((x1, y1))
            continue
        sweep = 4.0 * math.atan(bulge)
        chord = math.hypot(x1 - x0, y1 - y0)
        radius = chord / (2.0 * abs(math.sin(sweep / 2.0)))
        # centre: left of the chord for a counter-clockwise arc
        mx, my = (x0 + x1) / 2.0, (y0 + y1) / 2.0
        h = radius * math.cos(sweep / 2.0)
        ux, uy = (x1 - x0) / chord, (y1 - y0) / chord
        side = 1.0 if sweep > 0 else -1.0
        cx, cy = mx - side * uy * h, my + side * ux * h
        a0 = math.atan2(y0 - cy, x0 - cx)
        step = 2.0 * math.acos(max(-1.0, 1.0 - SAGITTA / radius)) if radius > SAGITTA else math.pi
        count = max(2, int(math.ceil(abs(sweep) / step)))
        for k in range(1, count):
            a = a0 + sweep * k / count
            points.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
        points.append((x1, y1))
    return points


def read_case(path):
    case = {"input": [], "result": []}
    target = None
    with open(path) as f:
        lines = iter(f.read().split("\n"))
        for line in lines:
            words = line.split()
            if not words:
                continue
            if words[0] in ("distance", "limit"):
                case[words[0]] = float(words[1])
            elif words[0] == "join":
                case["join"] = words[1]
            elif words[0] in ("input", "result"):
                target = case[words[0]]
            elif words[0] == "chain":
                closed, n = words[1] == "1", int(words[2])
                vertices = [tuple(float(v) for v in next(lines).split()) for _ in range(n)]
                target.append((closed, vertices))
    return case


def signed_area(points):
    return 0.5 * sum(points[i][0] * points[i + 1][1] - points[i + 1][0] * points[i][1] for i in range(len(points) - 1))


def boundary_of(geometry):
    return geometry.boundary if not geometry.is_empty else MultiLineString()


def main():
    case = read_case(sys.argv[1])
    d = case["distance"]
    join = {"round": 1, "mitre": 2}[case["join"]]
    ours = [densify(c) for c in case["result"]]
    ours_lines = MultiLineString([LineString(p) for p in ours if len(p) > 1])
    ours_length = sum(LineString(p).length for p in ours if len(p) > 1)
    closed_input = all(c[0] for c in case["input"])
    # Chords of the arcs and of GEOS's round joins lie within these of the true curves.
    join_sagitta = abs(d) * (1.0 - math.cos(math.pi / (4 * QUAD_SEGS)))
    err = 2.0 * (SAGITTA + join_sagitta) + 1e-6
    if join != 1:
        err += 0.01 * abs(d)
    chords = []
    for chain in case["input"]:
        pts = densify(chain)
        chords += [LineString([pts[i], pts[i + 1]]) for i in range(len(pts) - 1)]
    band = unary_union([c.buffer(abs(d), resolution=QUAD_SEGS) for c in chords])
    if closed_input:
        rings = [Polygon(densify(c)) for c in case["input"]]
        material = rings[0]
        for ring in rings[1:]:
            material = material.symmetric_difference(ring)
        if join == 1:
            expected = material.difference(band) if d > 0 else material.union(band)
        else:
            expected = material.buffer(-d, resolution=QUAD_SEGS, join_style=join, mitre_limit=case["limit"])
        theirs = boundary_of(expected)
        ours_area = sum(signed_area(p) for p, c in zip(ours, case["result"]) if c[0])
        print("area %.12g %.12g %.12g" % (ours_area, expected.area, err * (theirs.length + ours_length) + 1e-9))
        print("length %.12g %.12g %.12g" % (ours_length, theirs.length, 5e-4 * theirs.length + err))
        if theirs.is_empty and ours_lines.is_empty:
            print("hausdorff 0 %.12g" % err)
        elif theirs.is_empty or ours_lines.is_empty:
            print("hausdorff inf %.12g" % err)
        else:
            print("hausdorff %.12g %.12g" % (ours_lines.hausdorff_distance(theirs), err))
        return 0
    line = LineString(densify(case["input"][0]))
    theirs = boundary_of(band)
    ends = [Point(line.coords[0]), Point(line.coords[-1])]
    worst_ours = max((theirs.distance(Point(p)) for c in ours for p in c), default=0.0)
    worst_theirs = 0.0
    for geom in getattr(theirs, "geoms", [theirs]):
        for p in geom.coords:
            pt = Point(p)
            if min(pt.distance(e) for e in ends) <= abs(d) + 1e-3:
                continue  # on or next to an end cap
            worst_theirs = max(worst_theirs, ours_lines.distance(pt))
    print("hausdorff %.12g %.12g" % (max(worst_ours, worst_theirs), err))
    return 0


if __name__ == "__main__":
    sys.exit(main())
