#!/usr/bin/env python3
"""Checks a summary's written figures against the tables themselves.

    csvtotals.py SUMMARY (ARCHIVE.zip | TABLE.csv...)

Reads every table with Python's csv module (Windows-1252, as written), counts
its records and adds up, with decimal arithmetic, each column that the
summary totals; then compares with the "written" column of the summary.
Prints one line per figure that disagrees and, at the end, "checked N".
Exits 1 when a figure disagrees or a table of the summary is missing.
"""
import csv
import io
import os
import sys
import zipfile
from decimal import Decimal


def tables(sources):
    if len(sources) == 1 and sources[0].endswith(".zip"):
        with zipfile.ZipFile(sources[0]) as z:
            for info in z.infolist():
                yield info.filename, z.read(info).decode("cp1252")
    else:
        for path in sources:
            with open(path, "rb") as f:
                yield os.path.basename(path), f.read().decode("cp1252")


def summary_figures(path):
    figures = {}
    table = None
    with open(path, encoding="utf-8", newline="") as f:
        for line in f.read().replace("\r\n", "\n").split("\n"):
            if line.endswith(".csv") and not line.startswith(" "):
                table = line
                figures[table] = {}
            elif table and line.startswith("  ") and not line.startswith("  not checked"):
                parts = line.split()
                if len(parts) >= 3:
                    figures[table][parts[0]] = parts[1]
            elif not line.strip():
                table = None
    return figures


def main():
    figures = summary_figures(sys.argv[1])
    found = dict(tables(sys.argv[2:]))
    bad = 0
    checked = 0
    for table, wanted in figures.items():
        if table not in found:
            print(f"{table}: missing")
            bad += 1
            continue
        rows = list(csv.reader(io.StringIO(found[table], newline="")))
        header = [name.strip() for name in rows[0]]
        records = rows[1:]
        for name, written in wanted.items():
            if name == "records":
                actual = str(len(records))
                same = actual == written
            else:
                column = header.index(name)
                total = sum((Decimal(r[column]) for r in records if r[column] != ""), Decimal(0))
                actual = str(total)
                same = total == Decimal(written)
            checked += 1
            if not same:
                bad += 1
                print(f"{table} {name}: summary {written}, tables {actual}")
    print(f"checked {checked}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
