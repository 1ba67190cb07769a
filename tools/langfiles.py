#!/usr/bin/env python3
"""Builds languages/_lanraw_{en,ru,fr,de}.bpl from languages/texts/*.tsv.

Each .tsv line holds one text: English, Russian, French, German, separated by
tabs; "\\n" stands for a line break; lines starting with # are comments. The
files are read in name order and a repeated English text keeps its first
translations. The n-th record of every .bpl file is the n-th text, each ended
by "^", so the four files stay parallel by construction.

Usage: tools/langfiles.py [--check]   (--check: fail when the .bpl files are stale)
"""
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
CODES = ["en", "ru", "fr", "de"]


def read_texts():
    seen = {}
    rows = []
    for tsv in sorted((ROOT / "languages" / "texts").glob("*.tsv")):
        for number, line in enumerate(tsv.read_text(encoding="utf-8").split("\n"), 1):
            line = line.rstrip("\r")
            if not line.strip() or line.startswith("#"):
                continue
            cells = [c.replace("\\n", "\n") for c in line.split("\t")]
            if len(cells) != len(CODES) or any(not c for c in cells):
                sys.exit(f"{tsv.name}:{number}: expected {len(CODES)} non-empty tab-separated texts")
            if any("^" in c for c in cells):
                sys.exit(f"{tsv.name}:{number}: a text cannot hold '^'")
            if cells[0] in seen:
                if seen[cells[0]] != cells:
                    sys.exit(f"{tsv.name}:{number}: '{cells[0]}' is translated differently elsewhere")
                continue
            seen[cells[0]] = cells
            rows.append(cells)
    return rows


def main():
    rows = read_texts()
    if len(rows) > 1001:
        sys.exit(f"{len(rows)} texts: the language model reads at most 1001")
    stale = []
    for index, code in enumerate(CODES):
        content = "".join(row[index] + "^" for row in rows).encode("utf-8")
        target = ROOT / "languages" / f"_lanraw_{code}.bpl"
        if "--check" in sys.argv:
            if not target.exists() or target.read_bytes() != content:
                stale.append(target.name)
        else:
            target.write_bytes(content)
    if stale:
        sys.exit("stale language files (run tools/langfiles.py): " + ", ".join(stale))
    print(f"{len(rows)} texts")


if __name__ == "__main__":
    main()
