"""Checks that ezdxf sees the same entities in two drawings.

    /usr/bin/python3 ezdxf_same_entities.py IN OUT [--no-paper]

For model space and every block: the count of each entity kind, the
attributes of each INSERT (tag and text), and the layer of each entity, in
order. Fails (exit 1, differences on stderr) when they differ, or when the
audit finds more errors in OUT than in IN. Used on drawings converted from
one DXF version to another, where a record ezdxf cannot parse loses its codes.
--no-paper leaves out paper-space entities (code 67 set, in *Paper_Space, or
viewports).
"""
import sys

import ezdxf


def summary(doc, paper=True):
    lines = []
    for block in doc.blocks:
        if not paper and block.name.upper() == "*PAPER_SPACE":
            continue
        for e in block:
            if not paper and (e.dxf.get("paperspace", 0) or e.dxftype() == "VIEWPORT"):
                continue
            line = f"{block.name}: {e.dxftype()} layer={e.dxf.get('layer', '')}"
            if e.dxftype() == "INSERT":
                line += " name=" + e.dxf.name + " " + ",".join(f"{a.dxf.tag}={a.dxf.text}" for a in e.attribs)
            if e.dxftype() in ("TEXT", "ATTDEF", "MTEXT"):
                line += " text=" + (e.dxf.get("text", "") if e.dxftype() != "MTEXT" else e.text)
            lines.append(line)
    return lines


def errors(doc):
    try:
        return len(doc.audit().errors)
    except Exception:
        return None


def main():
    a, b = ezdxf.readfile(sys.argv[1]), ezdxf.readfile(sys.argv[2])
    paper = "--no-paper" not in sys.argv[3:]
    sa, sb = summary(a, paper), summary(b, paper)
    bad = 0
    if sa != sb:
        diff = [f"- {x}" for x in sa if x not in sb][:5] + [f"+ {x}" for x in sb if x not in sa][:5]
        print(f"{len(sa)} entities read from the input, {len(sb)} from the output:", *diff, sep="\n", file=sys.stderr)
        bad = 1
    ea, eb = errors(a), errors(b)
    if eb is None or (ea is not None and eb > ea):
        print(f"audit: {eb} errors in the output, {ea} in the input", file=sys.stderr)
        bad = 1
    return bad


if __name__ == "__main__":
    sys.exit(main())
