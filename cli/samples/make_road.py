#!/usr/bin/python3
"""Writes road.dxf, the sample drawing of `drovik demo`, with ezdxf.

A road centreline (a lightweight polyline of straights and bulge arcs on
layer CENTRE) and a pipe network beside it: a main pipe of lines and arcs
(layer PIPE) joining wells (circles, layer WELL) labelled 井1, 井2, ... in a
Chinese text style, with branch pipes leaving some wells. Run it with
Debian's /usr/bin/python3 (python3-ezdxf); the result is kept in the
repository so the demo needs no Python.
"""
import math
import sys

import ezdxf

doc = ezdxf.new("R2000")
doc.header["$DWGCODEPAGE"] = "ANSI_936"
for name, color in (("CENTRE", 1), ("PIPE", 5), ("WELL", 4), ("TEXT", 7)):
    doc.layers.add(name, color=color)
doc.styles.add("HZ", font="simsun.ttf")
msp = doc.modelspace()

# The centreline: a straight, a left-hand curve and a right-hand curve of
# radius 250 and 40 degrees each, tangent to each other, and a straight.
R, TURN = 250.0, math.radians(40)
chord = 2 * R * math.sin(TURN / 2)
p0, p1 = (0.0, 0.0), (200.0, 0.0)
p2 = (p1[0] + chord * math.cos(TURN / 2), p1[1] + chord * math.sin(TURN / 2))
p3 = (p2[0] + chord * math.cos(TURN / 2), p2[1] + chord * math.sin(TURN / 2))
p4 = (700.0, p3[1])
bulge = math.tan(TURN / 4)
msp.add_lwpolyline(
    [(*p0, 0, 0, 0), (*p1, 0, 0, bulge), (*p2, 0, 0, -bulge), (*p3, 0, 0, 0), (*p4, 0, 0, 0)],
    format="xyseb",
    dxfattribs={"layer": "CENTRE"},
)

# The main pipe, 18 to the right of the road: lines on the straights and arcs
# concentric with the curves, with a well at every joint.
SIDE = 18.0
c1 = (p1[0], p1[1] + R)                                          # centre of the left-hand curve
c2 = (p2[0] + R * math.sin(TURN), p2[1] - R * math.cos(TURN))    # centre of the right-hand curve
w3 = (c1[0] + (R + SIDE) * math.cos(TURN - math.pi / 2), c1[1] + (R + SIDE) * math.sin(TURN - math.pi / 2))
w4 = (c2[0], c2[1] + R - SIDE)
wells = [(0, -SIDE), (100, -SIDE), (200, -SIDE), w3, w4, (600, w4[1]), (700, w4[1])]
for a, b in zip(wells[:3], wells[1:3]):
    msp.add_line(a, b, dxfattribs={"layer": "PIPE"})
msp.add_arc(c1, R + SIDE, -90, math.degrees(TURN) - 90, dxfattribs={"layer": "PIPE"})
msp.add_arc(c2, R - SIDE, 90, 90 + math.degrees(TURN), dxfattribs={"layer": "PIPE"})
for a, b in zip(wells[4:], wells[5:]):
    msp.add_line(a, b, dxfattribs={"layer": "PIPE"})

# Branch pipes leaving two wells, away from the road.
for well, angle in ((wells[1], -90), (wells[5], -60)):
    tip = (well[0] + 40 * math.cos(math.radians(angle)), well[1] + 40 * math.sin(math.radians(angle)))
    msp.add_line(well, tip, dxfattribs={"layer": "PIPE"})
    wells.append(tip)

for number, (x, y) in enumerate(wells, start=1):
    msp.add_circle((x, y), 1.5, dxfattribs={"layer": "WELL"})
    msp.add_text(f"井{number}", dxfattribs={"layer": "TEXT", "style": "HZ", "height": 3.0, "insert": (x + 2.5, y + 2.5)})

doc.saveas(sys.argv[1] if len(sys.argv) > 1 else "road.dxf")
