#!/usr/bin/python3
"""The host's modelled entity kinds as ezdxf sees them.

  ezdxf_entities.py make OUT.dxf      a drawing of every kind, made by ezdxf
  ezdxf_entities.py dump IN.dxf       every property of every entity of
                                      those kinds in model space, one line each,
                                      then each block definition (a BLOCK line
                                      and its entities); extension dictionaries
                                      with their xrecords at the end of a line
  ezdxf_entities.py resave IN OUT     read with ezdxf and saved again

Exit status 0, or 1 with the reason on stderr.
"""
import sys

import ezdxf


def num(v):
    v = float(v)
    if abs(v) < 1e-9:
        v = 0.0
    return "%.9g" % v


def vec(v):
    return "(" + ",".join(num(c) for c in v) + ")"


def make(path):
    doc = ezdxf.new("R2018")
    doc.styles.new("Narrow", dxfattribs={"font": "arial.ttf"})
    blk = doc.blocks.new("WELL", base_point=(1, 2, 0))
    blk.add_circle((1, 2), 0.5)
    blk.add_attdef("ID", (0, 0), dxfattribs={"height": 0.25, "prompt": "Well id"})
    msp = doc.modelspace()
    msp.add_point((1, 2, 3), dxfattribs={"thickness": 0.5, "angle": 30, "layer": "P"})
    msp.add_point((4, 5, 6), dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)], dxfattribs={"thickness": 2.0, "color": 3})
    msp.add_solid([(0, 0, 1), (2, 0, 1), (0, 2, 1)], dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_trace([(5, 0), (6, 0), (5, 1), (6, 1)])
    msp.add_3dface([(0, 0, 0), (1, 0, 1), (1, 1, 2), (0, 1, 3)], dxfattribs={"invisible": 5})
    msp.add_mtext("Well \\PNo. 7 井", dxfattribs={
        "insert": (10, 20, 0), "char_height": 1.5, "width": 12.0, "attachment_point": 5,
        "style": "Narrow", "line_spacing_factor": 1.5, "line_spacing_style": 2, "text_direction": (0, 1, 0)})
    msp.add_mtext("x" * 600 + " long", dxfattribs={"insert": (0, -5, 0), "char_height": 0.5})
    msp.add_spline_control_frame([(0, 0), (2, 3), (4, 1), (6, 4), (8, 0)], degree=3)
    s = msp.add_rational_spline([(0, 0, 0), (1, 1, 0), (2, 0, 1)], [1.0, 0.5, 1.0], degree=2)
    s.dxf.flags = s.dxf.flags | 4
    msp.add_polyline3d([(0, 0, 0), (1, 2, 3), (4, 5, 6)], close=True, dxfattribs={"layer": "PIPE"})
    ref = msp.add_blockref("WELL", (100, 200, 0), dxfattribs={"xscale": 2, "yscale": 2, "zscale": 1, "rotation": 45})
    ref.add_attrib("ID", "W-1", (100, 200))
    ref.add_attrib("DEPTH", "12.5", (100, 199))
    msp.add_blockref("WELL", (3, 4, 5), dxfattribs={"extrusion": (0, 0, -1), "layer": "W"})
    arr = msp.add_blockref("WELL", (50, 60, 0), dxfattribs={"rotation": 30})
    arr.dxf.column_count = 3
    arr.dxf.row_count = 2
    arr.dxf.column_spacing = 4.0
    arr.dxf.row_spacing = 5.5
    msp.add_attdef("NOTE", (7, 8), "none", dxfattribs={
        "prompt": "Note", "flags": 9, "height": 0.4, "rotation": 15, "layer": "A"})
    # A block holding a reference with an attribute (nested), described
    # with the blocks and exploded by the tests.
    site = doc.blocks.new("SITE", base_point=(0, 0, 0))
    site.add_line((0, 0), (4, 0))
    inner = site.add_blockref("WELL", (2, 0, 0))
    inner.add_attrib("ID", "W-9", (2, 0))
    msp.add_blockref("SITE", (10, 0, 0), dxfattribs={"rotation": 90})
    # Extension dictionaries: an xrecord on a point.
    marked = msp.add_point((9, 9, 0))
    xr = marked.new_extension_dict().add_xrecord("SURVEY")
    xr.reset([(1, "station 4"), (40, 2.5), (10, (1, 2, 3)), (70, 4), (90, 70000)])
    doc.saveas(path)


def value(v):
    if isinstance(v, str):
        return v
    if isinstance(v, float):
        return num(v)
    if isinstance(v, int):
        return str(v)
    return vec(v)


def xdict(e):
    """The xrecords of the entity's extension dictionary, by key."""
    if not e.has_extension_dict:
        return ""
    d = e.get_extension_dict().dictionary
    items = []
    for key in sorted(d.keys()):
        x = d[key]
        if x.dxftype() == "XRECORD":
            items.append("%s=[%s]" % (key, ",".join("%d:%s" % (c, value(v)) for c, v in x.tags)))
    return " xdict {%s}" % " ".join(items)


def describe(e):
    line = describe_entity(e)
    return line + xdict(e) if line else line


def describe_entity(e):
    t = e.dxftype()
    d = e.dxf
    common = "layer=%s color=%s" % (d.layer, d.color)
    if t == "POINT":
        return "POINT %s at %s th %s ang %s n %s" % (common, vec(d.location), num(d.thickness), num(d.angle),
                                                   vec(d.extrusion))
    if t in ("SOLID", "TRACE"):
        pts = " ".join(vec(d.get("vtx%d" % k)) for k in range(4))
        return "%s %s %s th %s n %s" % (t, common, pts, num(d.thickness), vec(d.extrusion))
    if t == "3DFACE":
        pts = " ".join(vec(d.get("vtx%d" % k)) for k in range(4))
        return "3DFACE %s %s hidden %d" % (common, pts, d.invisible)
    if t == "MTEXT":
        return "MTEXT %s at %s h %s w %s att %d style %s spacing %d/%s dir %s text <%s>" % (
            common, vec(d.insert), num(d.char_height), num(d.get("width", 0)), d.attachment_point, d.style,
            d.get("line_spacing_style", 1), num(d.get("line_spacing_factor", 1)),
            vec(d.get("text_direction", (1, 0, 0))), e.text)
    if t == "SPLINE":
        def items(xs, f):
            return "".join(" " + f(x) for x in xs)
        return "SPLINE %s deg %d rational %d closed %d ctl%s knots%s weights%s fit%s" % (
            common, d.degree, 1 if len(e.weights) else 0, 1 if e.closed else 0, items(e.control_points, vec),
            items(e.knots, num), items(e.weights, num), items(e.fit_points, vec))
    if t == "POLYLINE" and e.is_3d_polyline:
        return "POLYLINE3D %s closed %d pts%s" % (common, 1 if e.is_closed else 0,
                                                 "".join(" " + vec(p) for p in e.points()))
    if t == "INSERT":
        attribs = " ".join("%s=<%s>@%s" % (a.dxf.tag, a.dxf.text, vec(a.dxf.insert)) for a in e.attribs)
        array = ""
        if e.mcount > 1:
            array = " array %dx%d %s,%s" % (d.column_count, d.row_count, num(d.column_spacing), num(d.row_spacing))
        return "INSERT %s %s at %s scale %s,%s,%s rot %s n %s%s attribs [%s]" % (
            common, d.name, vec(d.insert), num(d.xscale), num(d.yscale), num(d.zscale), num(d.rotation),
            vec(d.extrusion), array, attribs)
    if t == "ATTDEF":
        return "ATTDEF %s %s prompt <%s> text <%s> flags %d at %s h %s rot %s" % (
            common, d.tag, d.prompt, d.text, d.flags, vec(d.insert), num(d.height), num(d.rotation))
    return None


def dump(path):
    doc = ezdxf.readfile(path)
    for e in doc.modelspace():
        line = describe(e)
        if line:
            print(line)
    for blk in sorted(doc.blocks, key=lambda b: b.name):
        if blk.name.lower() in ("*model_space", "*paper_space") or blk.name.startswith("*"):
            continue
        print("BLOCK %s base %s" % (blk.name, vec(blk.block.dxf.base_point)))
        for e in blk:
            line = describe(e)
            if line:
                print("  " + line)
    auditor = doc.audit()
    if auditor.has_errors:
        sys.stderr.write("audit errors: %s\n" % "; ".join(str(x.message) for x in auditor.errors))
        sys.exit(1)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "make":
        make(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "dump":
        dump(sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == "resave":
        ezdxf.readfile(sys.argv[2]).saveas(sys.argv[3])
    else:
        sys.stderr.write(__doc__)
        sys.exit(1)


if __name__ == "__main__":
    main()
