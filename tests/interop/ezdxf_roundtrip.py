"""Reads a DXF file with ezdxf, audits it and saves it again.

    /usr/bin/python3 ezdxf_roundtrip.py IN [OUT]

Fails (exit 1, causes on stderr) when ezdxf cannot read the file, when its
audit reports errors or fixes, or on faults its audit does not look for:
entities on undefined layers, owners that are not in the file, group members
that are not entities, extended data of unregistered applications, and
LWPOLYLINE vertex counts (code 90) that do not match the vertices.
"""
import sys

import ezdxf


def faults(doc, path):
    found = []
    layers = {layer.dxf.name.upper() for layer in doc.layers}
    apps = {app.dxf.name.upper() for app in doc.appids}
    handles = set(doc.entitydb.keys())
    for entity in doc.entitydb.values():
        if entity.dxf.hasattr("owner") and entity.dxf.owner not in ("0", None) and entity.dxf.owner not in handles:
            found.append(f"{entity.dxftype()} {entity.dxf.handle}: owner {entity.dxf.owner} is missing")
        if entity.xdata:
            for app in entity.xdata.data:
                if app.upper() not in apps:
                    found.append(f"{entity.dxftype()} {entity.dxf.handle}: extended data of unregistered {app}")
    for entity in doc.modelspace():
        if entity.dxf.layer.upper() not in layers:
            found.append(f"{entity.dxftype()} {entity.dxf.handle}: layer {entity.dxf.layer} is undefined")
    for name, group in doc.groups:
        for member in group:
            if member.dxf.handle not in handles:
                found.append(f"group {name}: member {member.dxf.handle} is missing")
    # Vertex counts as the file states them.
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    pairs = [(lines[i].strip(), lines[i + 1].rstrip(b"\r")) for i in range(0, len(lines) - 1, 2)]
    i = 0
    while i < len(pairs):
        if pairs[i] == (b"0", b"LWPOLYLINE"):
            j = i + 1
            declared, count = None, 0
            while j < len(pairs) and pairs[j][0] != b"0":
                if pairs[j][0] == b"90":
                    declared = int(pairs[j][1])
                if pairs[j][0] == b"10":
                    count += 1
                j += 1
            if declared != count:
                found.append(f"LWPOLYLINE at pair {i}: declares {declared} vertices, has {count}")
            i = j
        else:
            i += 1
    return found


def main():
    path = sys.argv[1]
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    problems = [f"audit error: {e.message}" for e in auditor.errors]
    problems += [f"audit fix: {f.message}" for f in auditor.fixes]
    problems += faults(doc, path)
    if problems:
        sys.stderr.write("\n".join(problems) + "\n")
        return 1
    if len(sys.argv) > 2:
        doc.saveas(sys.argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main())
