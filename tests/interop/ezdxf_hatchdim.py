#!/usr/bin/python3
"""Hatches and dimensions as ezdxf sees them.

  ezdxf_hatchdim.py make OUT.dxf     hatches (polyline and edge loops, pattern,
                                     gradient, associative) and the four
                                     dimension kinds, made by ezdxf
  ezdxf_hatchdim.py dump IN.dxf      every property of every HATCH and
                                     DIMENSION of model space, one line each
  ezdxf_hatchdim.py areas IN.dxf     the area of each HATCH (shapely, even-odd)
  ezdxf_hatchdim.py blocks IN.dxf    per DIMENSION: its block's entity kinds
                                     and the texts in it
  ezdxf_hatchdim.py resave IN OUT    read with ezdxf and saved again

Exit status 0, or 1 with the reason on stderr.
"""
import math
import sys

import ezdxf
from ezdxf import path as ezpath

from ezdxf_entities import num, vec  # the same number and vector forms


def deg(v):
    v = math.fmod(float(v), 360.0)
    if v < 0:
        v += 360.0
    if abs(v) < 1e-7 or abs(v - 360.0) < 1e-7:
        v = 0.0
    return "%.6f" % v


def make(path):
    doc = ezdxf.new("R2018", setup=True)
    msp = doc.modelspace()
    # Solid, a polyline loop with bulges and an island.
    h = msp.add_hatch(color=3, dxfattribs={"layer": "AREA"})
    h.paths.add_polyline_path([(0, 0, 0), (10, 0, 0.5), (10, 6, 0), (0, 6, -0.25)], is_closed=True, flags=1)
    h.paths.add_polyline_path([(2, 2), (4, 2), (4, 4), (2, 4)], is_closed=True, flags=16)
    h.set_seed_points([(1, 1), (5, 5)])
    # A predefined pattern, turned and scaled, on an edge loop of every kind.
    e = msp.add_hatch(dxfattribs={"elevation": (0, 0, 2.5)})
    e.set_pattern_fill("ANSI31", angle=30, scale=0.5)
    ep = e.paths.add_edge_path(flags=1)
    ep.add_line((0, 0), (10, 0))
    ep.add_arc((10, 5), radius=5, start_angle=270, end_angle=90, ccw=True)
    ep.add_line((10, 10), (5, 10))
    ep.add_ellipse((2.5, 10), major_axis=(2.5, 0), ratio=0.5, start_angle=0, end_angle=180, ccw=True)
    ep.add_line((0, 10), (0, 8))
    ep.add_spline(control_points=[(0, 8), (-1, 6), (1, 3), (0, 0)], knot_values=[0, 0, 0, 0, 1, 1, 1, 1],
                  weights=[1, 0.5, 2, 1], degree=3)
    # A clockwise arc loop: a circle as one edge, and half circles.
    c = msp.add_hatch(dxfattribs={"extrusion": (0, 0, -1)})
    c.set_pattern_fill("USERPAT", pattern_type=0, scale=1.5, double=1, definition=[[45, (0, 0), (0, 1.5), []]])
    cp = c.paths.add_edge_path()
    cp.add_arc((20, 0), radius=3, start_angle=0, end_angle=180, ccw=False)
    cp.add_line((23, 0), (17, 0))
    cp2 = c.paths.add_edge_path(flags=16)
    cp2.add_arc((20, -1), radius=1, start_angle=0, end_angle=360, ccw=False)
    # A gradient and an associative hatch.
    g = msp.add_hatch()
    g.set_gradient((255, 0, 0), (0, 0, 255), rotation=30, centered=1, name="CYLINDER")
    g.paths.add_polyline_path([(30, 0), (34, 0), (34, 3)], is_closed=True)
    outline = msp.add_lwpolyline([(40, 0), (44, 0), (44, 4), (40, 4)], close=True)
    a = msp.add_hatch(color=5)
    a.dxf.associative = 1
    pp = a.paths.add_polyline_path([(40, 0), (44, 0), (44, 4), (40, 4)], is_closed=True)
    pp.source_boundary_objects = [outline.dxf.handle]
    # The four dimension kinds.
    msp.add_linear_dim(base=(0, -5), p1=(0, 0), p2=(10, 0), angle=0).render()
    msp.add_linear_dim(base=(0, -8), p1=(0, 0), p2=(10, 6), angle=30, text="L=<>").render()
    aligned = msp.add_aligned_dim(p1=(20, 0), p2=(26, 8), distance=2)
    aligned.render()
    aligned.dimension.dxf.dimtype = (aligned.dimension.dxf.dimtype & ~15) | 1  # aligned, not rotated
    msp.add_linear_dim(base=(0, 20), p1=(0, 15), p2=(8, 15), location=(3, 22)).render()
    msp.add_radius_dim(center=(50, 0), radius=4, angle=45).render()
    msp.add_diameter_dim(center=(60, 0), radius=3, angle=135, text="D <>").render()
    doc.saveas(path)


def edge_text(edge):
    t = edge.type.name if hasattr(edge.type, "name") else str(edge.type)
    if type(edge).__name__ == "LineEdge":
        return "L %s %s" % (vec(edge.start), vec(edge.end))
    if type(edge).__name__ == "ArcEdge":
        return "A %s r %s %s..%s ccw %d" % (vec(edge.center), num(edge.radius), deg(edge.start_angle),
                                           deg(edge.end_angle), 1 if edge.ccw else 0)
    if type(edge).__name__ == "EllipseEdge":
        return "E %s major %s ratio %s %s..%s ccw %d" % (vec(edge.center), vec(edge.major_axis), num(edge.ratio),
                                                         deg(edge.start_angle), deg(edge.end_angle),
                                                         1 if edge.ccw else 0)
    if type(edge).__name__ == "SplineEdge":
        def items(xs, f):
            return "".join(" " + f(x) for x in xs)
        return "S deg %d rational %d periodic %d knots%s ctl%s weights%s fit%s" % (
            edge.degree, 1 if len(edge.weights) else 0, edge.periodic, items(edge.knot_values, num),
            items(edge.control_points, vec), items(edge.weights, num), items(edge.fit_points, vec))
    return "? " + t


def hatch_text(e):
    d = e.dxf
    lines = ""
    if e.pattern:
        lines = " ".join("%s/%s/%s/%s" % (deg(l.angle), vec(l.base_point), vec(l.offset),
                                          ",".join(num(x) for x in l.dash_length_items)) for l in e.pattern.lines)
    loops = []
    for p in e.paths:
        if type(p).__name__ == "PolylinePath":
            verts = " ".join("%s,%s,%s" % (num(v[0]), num(v[1]), num(v[2] if len(v) > 2 else 0)) for v in p.vertices)
            loops.append("P %d closed %d [%s] src %d" % (p.path_type_flags, 1 if p.is_closed else 0, verts,
                                                        len(p.source_boundary_objects)))
        else:
            loops.append("E %d [%s] src %d" % (p.path_type_flags, "; ".join(edge_text(x) for x in p.edges),
                                               len(p.source_boundary_objects)))
    seeds = " ".join(vec(s) for s in e.seeds)
    text = ("HATCH layer=%s color=%s pattern %s type %d solid %d angle %s scale %s double %d style %d assoc %d "
            "elev %s n %s lines[%s] seeds[%s] loops[%s]") % (
        d.layer, d.color, d.pattern_name, d.pattern_type, d.solid_fill, deg(d.get("pattern_angle", 0)),
        num(d.get("pattern_scale", 1)), d.get("pattern_double", 0), d.hatch_style, d.associative,
        num(d.elevation[2]), vec(d.extrusion), lines, seeds, " | ".join(loops))
    if e.gradient:
        g = e.gradient
        text += " gradient %s %s %s rot %s centered %s one %d tint %s" % (
            g.name, g.color1, g.color2, num(g.rotation),
            num(g.centered), g.one_color, num(g.tint))
    return text


def dimension_text(e):
    d = e.dxf
    kind = d.dimtype & 15
    block = e.doc.blocks.get(d.geometry) if d.hasattr("geometry") else None
    parts = len(block) if block is not None else -1
    s = "DIMENSION layer=%s color=%s type %d parts %d def %s" % (d.layer, d.color, kind, parts, vec(d.defpoint))
    if kind in (0, 1):
        s += " x1 %s x2 %s" % (vec(d.defpoint2), vec(d.defpoint3))
        if kind == 0:
            s += " rot %s" % deg(d.get("angle", 0))
        s += " oblique %s" % deg(d.get("oblique_angle", 0))
    else:
        s += " chord %s leader %s" % (vec(d.defpoint4), num(d.get("leader_length", 0)))
    user = vec(d.text_midpoint) if d.dimtype & 128 else "-"
    s += " text <%s> style %s textrot %s hdir %s att %d spacing %d/%s n %s userpos %s" % (
        d.get("text", ""), d.dimstyle, deg(d.get("text_rotation", 0)), deg(d.get("horizontal_direction", 0)),
        d.get("attachment_point", 5), d.get("line_spacing_style", 1), num(d.get("line_spacing_factor", 1)),
        vec(d.extrusion), user)
    if d.hasattr("actual_measurement"):  # optional: ezdxf leaves it out
        s += " measure %.6g" % d.actual_measurement
    return s


def dump(path):
    doc = ezdxf.readfile(path)
    for e in doc.modelspace():
        if e.dxftype() == "HATCH":
            print(hatch_text(e))
        elif e.dxftype() == "DIMENSION" and (e.dxf.dimtype & 15) in (0, 1, 3, 4):
            print(dimension_text(e))
    auditor = doc.audit()
    if auditor.has_errors:
        sys.stderr.write("audit errors: %s\n" % "; ".join(str(x.message) for x in auditor.errors))
        sys.exit(1)


def areas(path):
    from shapely.geometry import Polygon
    doc = ezdxf.readfile(path)
    for e in doc.modelspace().query("HATCH"):
        shape = None
        for p in e.paths:
            pts = [(v.x, v.y) for v in ezpath.from_hatch_boundary_path(p).flattening(1e-6)]
            poly = Polygon(pts).buffer(0)
            shape = poly if shape is None else shape.symmetric_difference(poly)
        print("%.9g" % (shape.area if shape is not None else 0.0))


def blocks(path):
    doc = ezdxf.readfile(path)
    for e in doc.modelspace().query("DIMENSION"):
        block = doc.blocks.get(e.dxf.geometry)
        if block is None:
            print("DIMENSION no block")
            continue
        kinds = {}
        texts = []
        for x in block:
            kinds[x.dxftype()] = kinds.get(x.dxftype(), 0) + 1
            if x.dxftype() == "MTEXT":
                texts.append(x.text)
            elif x.dxftype() == "TEXT":
                texts.append(x.dxf.text)
        print("DIMENSION %s %s texts %s" % (e.dxf.geometry, " ".join("%s=%d" % k for k in sorted(kinds.items())),
                                             "|".join(texts)))
    auditor = doc.audit()
    if auditor.has_errors:
        sys.stderr.write("audit errors: %s\n" % "; ".join(str(x.message) for x in auditor.errors))
        sys.exit(1)


def main():
    if len(sys.argv) == 3 and sys.argv[1] in ("make", "dump", "areas", "blocks"):
        {"make": make, "dump": dump, "areas": areas, "blocks": blocks}[sys.argv[1]](sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == "resave":
        ezdxf.readfile(sys.argv[2]).saveas(sys.argv[3])
    else:
        sys.stderr.write(__doc__)
        sys.exit(1)


if __name__ == "__main__":
    main()
