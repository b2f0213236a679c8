"""Writes the ezdxf fixtures of tests/data/dxf: the same drawing in R12,
R2000 and R2018, with every feature the headless host models (as far as
each version has it) and a few entities it does not model.

Run with Debian's python3-ezdxf:  /usr/bin/python3 make_fixtures.py OUTDIR
The C++ tests (tests/headless/dxf_interop_test.cpp) check what they read
against the values below; change both together.
"""
import math
import sys

import ezdxf

XDATA = [
    (1000, "井1"), (1002, "{"), (1070, 7), (1071, 123456), (1040, 2.5),
    (1041, 3.5), (1042, 0.5), (1010, (1.0, 2.0, 3.0)), (1011, (4.0, 5.0, 6.0)),
    (1012, (7.0, 8.0, 9.0)), (1013, (0.0, 0.0, 1.0)), (1003, "墙"),
    (1004, bytes.fromhex("DEADBEEF")), (1002, "}"),
]


def build(version):
    doc = ezdxf.new(version)
    doc.linetypes.new("DASHED", dxfattribs={"description": "Dashed __ __", "pattern": [0.6, 0.5, -0.1]})
    wall = doc.layers.new("墙", dxfattribs={"color": 3, "linetype": "DASHED"})
    wall.lock()
    doc.layers.new("Off", dxfattribs={"color": 5}).off()
    doc.layers.new("Frozen", dxfattribs={"color": 1}).freeze()
    doc.styles.new("仿宋", dxfattribs={"font": "宋体", "width": 0.8})
    doc.appids.new("DROVIK")
    msp = doc.modelspace()
    line = msp.add_line((0, 0, 0), (10, 5, 0), dxfattribs={"layer": "墙", "color": 1})
    line.set_xdata("DROVIK", XDATA)
    circle = msp.add_circle((20, 20), 5, dxfattribs={"layer": "Off", "linetype": "DASHED"})
    msp.add_arc((30, 0), 4, 30, 300, dxfattribs={"color": 0})
    text = msp.add_text("井1", dxfattribs={"height": 2.5, "rotation": 30, "width": 0.7, "style": "仿宋"})
    text.set_pos((0, 30), (5, 31), align="MIDDLE_CENTER")
    p2 = msp.add_polyline2d([(0, 0), (5, 0), (5, 5)], dxfattribs={"layer": "Frozen"})
    p2.close(True)
    for v, (sw, ew, b) in zip(p2.vertices, [(0.1, 0.2, 0.5), (0.0, 0.0, 0.0), (0.3, 0.3, -0.25)]):
        v.dxf.start_width = sw
        v.dxf.end_width = ew
        v.dxf.bulge = b
    spline = msp.add_polyline2d([(0, 10), (5, 12), (10, 10), (15, 12)])
    spline.dxf.flags = spline.dxf.flags | 4
    spline.dxf.smooth_type = 5
    # Not modelled by the host.
    msp.add_point((1, 1))
    block = doc.blocks.new("B1")
    block.add_line((0, 0), (1, 1))
    msp.add_blockref("B1", (100, 100))
    doc.layout("Layout1").add_line((0, 0), (1, 1))
    if version != "R12":
        msp.add_ellipse((50, 0), major_axis=(10, 2, 0), ratio=0.5, start_param=0, end_param=math.pi)
        lw = msp.add_lwpolyline([(0, 0, 0.1, 0.2, 0.5), (5, 0, 0, 0, 0), (5, 5, 0.3, 0.3, -0.25)],
                                format="xyseb", dxfattribs={"const_width": 0.2})
        lw.close(True)
        group = doc.groups.new("PAIR", description="井组")
        group.set_data([line, circle])
        hatch = msp.add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 0), (1, 0), (1, 1)], is_closed=True)
        msp.add_mtext("not modelled")
        msp.add_wipeout([(0, 0), (10, 0), (10, 5), (2.5, 7)])
    return doc


def main():
    out = sys.argv[1]
    for version in ("R12", "R2000", "R2018"):
        doc = build(version)
        doc.saveas(f"{out}/ezdxf_{version}.dxf")


if __name__ == "__main__":
    main()
