#!/usr/bin/env python3
"""The Windows program sends the bytes the Linux program sends.

Both programs export the same company of the Sage harness, in the same
locale (British, then German: dates and decimals follow the user's regional
settings), and upload the archive to the HTTPS stand-in, which records each
request body. The archives
are read back with Python's zipfile, independently of the programs. Equal on
both:
  - the request body outside the archive (the SOAP envelope, the reference
    and every other value, byte for byte);
  - the base64 layout of the archive (CR LF after every 76 characters);
  - the archive's entries: names, order, methods, CRCs, sizes, compressed
    sizes, flags, versions, extra fields, and the whole archive byte for
    byte once the fields below are blanked;
  - the eight tables' bytes.
Allowed to differ, and why:
  - the entries' DOS date and time: each program stamps the time it wrote
    the table, a second or more apart between the two runs;
  - the system that made each entry and its external attributes: an entry
    carries the attributes of its table's file, Unix permissions on Linux
    and DOS attributes on Windows (checked to be each system's own);
  - the archive's file name, which holds the time of the run (it is not in
    the body; it is checked to follow the same pattern).

usage: same-bytes.py SOURCE_DIR LINUX_HARNESS_DIR WINDOWS_HARNESS_DIR LINUX_EXE WINDOWS_EXE
                     EMULATOR...
Exits 77 (skipped) when the Linux program has not been built.
"""

import base64
import io
import os
import re
import subprocess
import sys
import tempfile
import zipfile

from exportruns import (PASSWORD, TABLES, export_args, harness_env, make_ca, make_company,
                        standin, windows)

# The harness's ODBC settings for each program (a 32-bit Windows program needs
# the i386 driver).
SOURCE, LINUX_HARNESS, WINDOWS_HARNESS, LINUX_EXE, WINDOWS_EXE = sys.argv[1:6]
EMULATOR = sys.argv[6:]


# The locales' formats where Wine's data differ from those of Windows (and of
# the Linux build): the German short date is dd.MM.yyyy on Windows 10, d.M.yyyy
# in Wine 8. The Windows program is given them as the user's own formats, as
# the Control Panel keeps them.
WINDOWS_FORMATS = {"de_DE": {"sShortDate": "dd.MM.yyyy"}}
INTERNATIONAL = "HKCU\\Control Panel\\International"


def export(top, certs, name, command, native, harness, locale):
    """Runs one program's accepted upload in `locale`; returns (request body,
    stdout)."""
    base = os.path.join(top, f"{name}-{locale}")
    os.makedirs(base)
    env = dict(harness_env(harness), LANG=f"{locale}.UTF-8", LC_ALL=f"{locale}.UTF-8")
    formats = WINDOWS_FORMATS.get(locale, {}) if native == windows else {}
    # reg.exe starts in the locale too, so Wine has already reset the formats
    # of another locale when the value is written.
    for value, data in formats.items():
        subprocess.run(EMULATOR + ["reg", "add", INTERNATIONAL, "/v", value, "/d", data, "/f"],
                       env=env, check=True, capture_output=True)
    try:
        return run_export(base, certs, name, command, native, env)
    finally:
        # The locale's own formats again, for the programs after this one.
        for value in formats:
            subprocess.run(EMULATOR + ["reg", "delete", INTERNATIONAL, "/v", value, "/f"],
                           env=env, capture_output=True)


def run_export(base, certs, name, command, native, env):
    home, work, secret = make_company(base, PASSWORD, native=native)
    record = os.path.join(base, "record")
    with standin(SOURCE, certs, record, "accept") as url:
        args = export_args(home, work, url, certs, secret, native=native) + ["--no-browser"]
        run = subprocess.run(command + args, env=env, capture_output=True, timeout=300)
    if run.returncode != 0:
        raise SystemExit(f"{name}: exit status {run.returncode}\n"
                         f"{run.stdout.decode('utf-8', 'replace')}"
                         f"{run.stderr.decode('utf-8', 'replace')}")
    bodies = sorted(n for n in os.listdir(record) if n.endswith(".body"))
    if len(bodies) != 1:
        raise SystemExit(f"{name}: the stand-in received {len(bodies)} requests, expected 1")
    with open(os.path.join(record, bodies[0]), "rb") as f:
        body = f.read()
    return body, run.stdout.decode("utf-8", "replace")


def split_body(name, body):
    """The body around the archive's base64 text, and the archive."""
    start = body.find(b"<buffer>")
    end = body.find(b"</buffer>", start)
    if start < 0 or end < 0:
        raise SystemExit(f"{name}: no <buffer> element in the request body")
    start += len(b"<buffer>")
    text = body[start:end]
    return body[:start], body[end:], text, base64.b64decode(text.replace(b"\r\n", b""),
                                                            validate=True)


def entry_facts(archive):
    """Everything zipfile tells of the entries but their times."""
    facts = []
    for i in archive.infolist():
        facts.append({
            "name": i.filename, "method": i.compress_type, "crc": i.CRC, "size": i.file_size,
            "compressed": i.compress_size, "flags": i.flag_bits,
            "made by version": i.create_version, "needs version": i.extract_version,
            "internal attributes": i.internal_attr,
            "extra": i.extra.hex(), "comment": i.comment.hex(),
        })
    return facts


def without_times(data):
    """The archive's bytes with the DOS time and date of every local header
    and central directory entry blanked, and the system that made each entry
    and its external attributes."""
    out = bytearray(data)
    # (signature, offset, length) of the fields.
    for signature, offset, length in ((b"PK\x03\x04", 10, 4), (b"PK\x01\x02", 12, 4),
                                      (b"PK\x01\x02", 5, 1), (b"PK\x01\x02", 38, 4)):
        at = out.find(signature)
        while at >= 0:
            out[at + offset:at + offset + length] = bytes(length)
            at = out.find(signature, at + 4)
    return bytes(out)


def first_difference(a, b):
    n = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
    return f"first difference at byte {n} of {len(a)} / {len(b)}: " \
           f"{a[max(0, n - 40):n + 40]!r} / {b[max(0, n - 40):n + 40]!r}"


def compare(failures, linux_body, linux_out, windows_body, windows_out):
    # Each stand-in listens on a port of its own, and each run writes its
    # migration report into a work directory of its own.
    linux_out, windows_out = (re.sub(r"(Migration report \([^)]*\): ).*\.report\.html",
                                     r"\1REPORT",
                                     re.sub(r"localhost:[0-9]+", "localhost:PORT",
                                            out.replace("\r\n", "\n")))
                              for out in (linux_out, windows_out))
    if linux_out != windows_out:
        failures.append(f"the programs' output differs:\n{linux_out!r}\n{windows_out!r}")
    lhead, ltail, ltext, ldata = split_body("linux", linux_body)
    whead, wtail, wtext, wdata = split_body("windows", windows_body)
    if lhead != whead:
        failures.append("the body before the archive differs: " + first_difference(lhead, whead))
    if ltail != wtail:
        failures.append("the body after the archive differs: " + first_difference(ltail, wtail))
    for name, text in (("linux", ltext), ("windows", wtext)):
        lines = text.split(b"\r\n")
        if not all(len(line) == 76 for line in lines[:-1]) or len(lines[-1]) >= 76:
            failures.append(f"{name}: the archive's base64 lines are not 76 characters + CR LF")

    with zipfile.ZipFile(io.BytesIO(ldata)) as la, zipfile.ZipFile(io.BytesIO(wdata)) as wa:
        lnames = [i.filename for i in la.infolist()]
        if lnames != TABLES:
            failures.append(f"the Linux archive holds {lnames}")
        lfacts, wfacts = entry_facts(la), entry_facts(wa)
        for lf, wf in zip(lfacts, wfacts):
            for key in lf:
                if lf[key] != wf[key]:
                    failures.append(f"{lf['name']}: {key} {lf[key]!r} on Linux, "
                                    f"{wf[key]!r} on Windows")
        if len(lfacts) != len(wfacts):
            failures.append(f"{len(lfacts)} entries on Linux, {len(wfacts)} on Windows")
        for archive, system, made_by in ((la, "Linux", 3), (wa, "Windows", 0)):
            for i in archive.infolist():
                if i.create_system != made_by:
                    failures.append(f"{system}: {i.filename} made by system {i.create_system}")
        tables = b""
        for name in lnames:
            lbytes = la.read(name)
            wbytes = wa.read(name) if name in wa.namelist() else b""
            tables += lbytes
            if not lbytes:
                failures.append(f"{name}: empty on Linux")
            if lbytes != wbytes:
                failures.append(f"{name}: the table differs: " + first_difference(lbytes, wbytes))
    if without_times(ldata) != without_times(wdata):
        failures.append("the archives differ beyond their entries' times: " +
                        first_difference(without_times(ldata), without_times(wdata)))
    if not re.search(rb"[\x80-\xff]", tables):
        failures.append("no table holds a character beyond ASCII: the comparison shows nothing "
                        "of the code page")
    return len(linux_body), len(ldata)


def main():
    if not os.path.isfile(LINUX_EXE):
        print(f"SKIPPED: the Linux program {LINUX_EXE} has not been built; build the Linux "
              "platform first (./run build with linux in QUILLMERE_PLATFORMS).")
        return 77
    top = tempfile.mkdtemp(prefix="quillmere-same-bytes-")
    certs = make_ca(SOURCE, top)
    status = 0
    try:
        for locale in ("en_GB", "de_DE"):
            linux_body, linux_out = export(top, certs, "linux", [LINUX_EXE], lambda p: p,
                                           LINUX_HARNESS, locale)
            windows_body, windows_out = export(top, certs, "windows", EMULATOR + [WINDOWS_EXE],
                                               windows, WINDOWS_HARNESS, locale)
            failures = []
            body_size, archive_size = compare(failures, linux_body, linux_out, windows_body,
                                              windows_out)
            for f in failures:
                print(f"{locale}: {f}", file=sys.stderr)
            print(f"{locale}: compared request bodies of {body_size} bytes and archives of "
                  f"{archive_size} bytes: {'equal' if not failures else 'DIFFERENT'}")
            status = 1 if failures else status
    finally:
        subprocess.run(["rm", "-rf", top])
    return status


if __name__ == "__main__":
    sys.exit(main())
