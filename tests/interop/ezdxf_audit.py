"""Audits drawings we saved against the drawings they were read from.

    /usr/bin/python3 ezdxf_audit.py MANIFEST OUTDIR [NAME...]

MANIFEST is the corpus' MANIFEST.tsv (its folder holds the inputs); OUTDIR
holds our output of each input under the same relative name. For every file
(or only the NAMEs given) both are opened with ezdxf, through ezdxf.recover
where the manifest says ezdxf needs it ("recover"; "failed": ezdxf cannot
read those inputs at all, and our output must open or fail the same way),
and audited. Fails (exit 1, one line per file on stderr) when an output
cannot be opened or its audit finds more errors than the input's (or fails
where the input's did not). One process for all files.
"""
import csv
import os
import sys

import ezdxf
from ezdxf import recover


def opened(path, how):
    if how == "readfile":
        return ezdxf.readfile(path)
    doc, _ = recover.readfile(path)
    return doc


def audit_errors(doc):
    """The audit's error count and the first messages; None when the audit
    itself fails (ezdxf 0.18 asserts on some R12 layouts)."""
    try:
        auditor = doc.audit()
    except Exception as e:
        return None, [f"audit failed: {type(e).__name__}"]
    return len(auditor.errors), [str(e.message) for e in auditor.errors[:3]]


def failure(e):
    return f"{type(e).__name__}: {e}"


def main():
    manifest, outdir = sys.argv[1], sys.argv[2]
    wanted = set(sys.argv[3:])
    corpus = os.path.dirname(manifest)
    failures = 0
    checked = 0
    with open(manifest, newline="") as f:
        rows = list(csv.DictReader(f, delimiter="\t"))
    for row in rows:
        name, how = row["file"], row["ezdxf_reads"]
        if wanted and name not in wanted:
            continue
        out = os.path.join(outdir, name)
        if not os.path.exists(out):
            print(f"{name}: no output", file=sys.stderr)
            failures += 1
            continue
        base, input_failure = 0, None
        try:
            base, _ = audit_errors(opened(os.path.join(corpus, name), "recover" if how == "failed" else how))
        except Exception as e:
            if how != "failed":  # the manifest says ezdxf reads it
                print(f"{name}: input no longer opens ({failure(e)})", file=sys.stderr)
                failures += 1
                continue
            input_failure = failure(e)
        try:
            # Our output of a file ezdxf reads directly must read directly too.
            doc = opened(out, "readfile" if how == "readfile" else "recover")
        except Exception as e:
            # An input ezdxf cannot read may fail the same way as our output.
            if failure(e) != input_failure:
                print(f"{name}: output does not open: {failure(e)}", file=sys.stderr)
                failures += 1
            continue
        errors, first = audit_errors(doc)
        checked += 1
        if errors is None and base is not None:
            print(f"{name}: {first[0]} on the output, not on the input", file=sys.stderr)
            failures += 1
        elif errors is not None and base is not None and errors > base:
            print(f"{name}: audit finds {errors} errors, the input {base}: {'; '.join(first)}", file=sys.stderr)
            failures += 1
    print(f"{checked} outputs audited, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
