#!/usr/bin/env python3
"""quillmere-export.exe's whole road under Wine, driven from the Linux side.

A Windows program under Wine cannot start the HTTPS stand-in (a Linux Python
program) nor read its records, so this driver does: it starts the stand-in on
https://localhost with a private CA, runs the Windows program through the
build's Wine (scripts/wine-exec) against the Sage harness, and checks the exit
status, the standard streams, the log and what the stand-in received.

usage: cli-runs.py SOURCE_DIR HARNESS_DIR EXE EMULATOR...
"""

import os
import re
import subprocess
import sys
import tempfile
import zipfile

from exportruns import (PASSWORD, TABLES, export_args, harness_env, make_ca, make_company,
                        standin, windows)

SOURCE, HARNESS, EXE = sys.argv[1:4]
EMULATOR = sys.argv[4:]
LOCATED = "Information: Sage Home Directory has now been located\n"
MEMO = ("Getting Chart of Accounts Categories...\n"
        "Getting sales ledger codes....\nFound [0-9]+ items.\n"
        "Getting sales ledger transactions....\nFound [0-9]+ items.\n"
        "Getting purchase ledger codes....\nFound [0-9]+ items.\n"
        "Getting purchase ledger transactions....\nFound [0-9]+ items.\n"
        "Getting nominal ledger codes....\nFound [0-9]+ items.\n"
        "Getting nominal ledger transactions....\nFound [0-9]+ items.\n"
        "Getting payments and receipts....\nFound [0-9]+ items.\n"
        "Export from Sage Complete!\n"
        "Migration report \\([0-9]+ errors?, [0-9]+ warnings?, [0-9]+ notes?\\): "
        "Z:\\\\[^\n]*\\.report\\.html\n")
MEMO_TO_REPORT = MEMO
MEMO += "Starting transfer of data\n"
# A run that kept its archive unsent: the memo's last lines, and what it says
# on standard error after the report's line.
KEPT = ("The archive was not sent\\.\nIt is kept as Z:\\\\[^\n]*\\.zip\n"
        "It can be sent later: the wizard offers to send it when it next starts\\.\n")
RESEND = "To send it: quillmere-export --resend \"Z:\\\\[^\n]*\\.zip\"\n"
# The migration report's line on standard error, last.
REPORTED = ("Migration report: [0-9]+ errors?, [0-9]+ warnings?, [0-9]+ notes?: "
            "Z:\\\\[^\n]*\\.report\\.html \\(Z:\\\\[^\n]*\\.report\\.json\\)\n")
LOG_TO_LOGIN = ("Using Default Home Dir\r\n"
                "Wizard Started at [^\r]*\r\n"
                "Windows version detected as:[0-9]+\\.[0-9]+\r\n"
                "Sage Object Created\r\n"
                "Current Home directory is [^\r]*\r\n"
                "Version is 17\r\n"
                "Start company selection\r\n"
                "Attempting Login\r\n")
LOG_TO_REPORT = (LOG_TO_LOGIN + "Login Successful\r\nStarting Data Export...\r\n"
                 "Closing Zip file and saving to disk\r\nTemp files deleted\r\n"
                 "Export completed\r\n"
                 "Migration report written \\([^)]*\\): [^\r]*\\.report\\.html and "
                 "[^\r]*\\.report\\.json\r\n")
LOG_TO_API = (LOG_TO_REPORT + "(Sending despite the migration report \\([^)]*\\)\r\n)?"
              "Call API\r\n")
LOG_KEPT = LOG_TO_REPORT + "Not sent: [^\r]*\r\nArchive kept: Z:\\\\[^\r]*\\.zip\r\n"
# (name, stand-in mode, extra arguments, password given, exit status,
#  stdout pattern, stderr pattern, log pattern, requests the stand-in receives)
CASES = [
    ("accepted", "accept", ["--no-browser"], PASSWORD, 0,
     MEMO + "Transfer Complete!\n{url}/processSageImport.asp\\?id=1\n", LOCATED + REPORTED,
     LOG_TO_API + "API Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n"
     "Sent file to URL [^\r]*id=1\r\nWizard Finished\r\n", 1),
    ("refused", "refuse", [], PASSWORD, 3, MEMO + "Transfer Complete!\n",
     LOCATED + "Error: Unable to send file, Please email Z:\\\\[^\n]*\\.zip to support\n" +
     REPORTED,
     LOG_TO_API + "API Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n"
     "Error in URL 0\r\nWizard Finished\r\n", 1),
    ("wrong password", "accept", [], "not-letmein-at-all", 1, "",
     LOCATED + "Error: An error occurred logging in\n"
     "Please check you entered the user name and password correctly\n\n"
     "(.|\n)*password authentication failed(.|\n)*",
     LOG_TO_LOGIN + "Failed: Login: [^\r]*password authentication failed[^\r]*\r\n", 0),
    ("no upload", "accept", ["--no-upload"], PASSWORD, 0, MEMO, LOCATED + REPORTED,
     LOG_TO_API + "Wizard Finished\r\n", 0),
    # The test books' report has errors: --review and --strict keep the
    # archive and say how to send it.
    ("review", "accept", ["--review"], PASSWORD, 0, MEMO_TO_REPORT + KEPT,
     LOCATED + REPORTED + "Not sent \\(--review\\): the archive is kept as Z:\\\\[^\n]*\\.zip\n" +
     RESEND, LOG_KEPT, 0),
    ("strict", "accept", ["--strict"], PASSWORD, 4, MEMO_TO_REPORT + KEPT,
     LOCATED + REPORTED + "Not sent \\(--strict\\): the migration report found [0-9]+ errors?; "
     "the archive is kept as Z:\\\\[^\n]*\\.zip\n" + RESEND, LOG_KEPT, 0),
]


def check(failures, case, what, pattern, text):
    if not re.fullmatch(pattern, text):
        failures.append(f"{case}: {what} does not match\n--- pattern\n{pattern!r}\n"
                        f"--- got\n{text!r}")


def run_case(top, certs, case):
    name, mode, extra, password, status, out_re, err_re, log_re, requests = case
    failures = []
    base = tempfile.mkdtemp(dir=top)
    home, work, secret = make_company(base, password)
    record = os.path.join(base, "record")
    with standin(SOURCE, certs, record, mode) as url:
        args = export_args(home, work, url, certs, secret) + extra
        run = subprocess.run(EMULATOR + [EXE] + args, env=harness_env(HARNESS),
                             capture_output=True, timeout=240)

    out = run.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    err = run.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
    log_path = os.path.join(work, "WizardDebug.log")
    log = open(log_path, "rb").read().decode("utf-8", "replace") if os.path.exists(
        log_path) else ""
    if run.returncode != status:
        failures.append(f"{name}: exit status {run.returncode}, expected {status}\n{err}")
    check(failures, name, "stdout", out_re.format(url=re.escape(url)), out)
    check(failures, name, "stderr", err_re, err)
    check(failures, name, "log", log_re, log)
    for text, where in ((out, "stdout"), (err, "stderr"), (log, "log")):
        if password in text:
            failures.append(f"{name}: the password is in the {where}")

    got = len([n for n in os.listdir(record) if n.endswith(".body")]) if os.path.isdir(
        record) else 0
    if got != requests:
        failures.append(f"{name}: the stand-in received {got} requests, expected {requests}")
    # What was uploaded, or what was kept, holds the eight tables in order.
    archives = [os.path.join(record, n) for n in sorted(os.listdir(record))
                if n.endswith(".zip")] if requests else []
    kept = [os.path.join(work, n) for n in os.listdir(work) if n.endswith(".zip")]
    expect_kept = 0 if name == "accepted" or name == "wrong password" else 1
    if len(kept) != expect_kept:
        failures.append(f"{name}: {len(kept)} archives kept in the work directory, "
                        f"expected {expect_kept}")
    for archive in archives + kept:
        names = [i.filename for i in zipfile.ZipFile(archive).infolist()]
        if names != TABLES:
            failures.append(f"{name}: {archive} holds {names}")
    return failures


def run_not_ascii(top, certs, upload):
    """A company whose name and directory are not ASCII, a work directory and
    a company list entry that are not ASCII either: the program finds the
    company through the list in the ANSI code page, works in the directory
    given on the wide command line, names the archive and its summary after
    the company, leaves nothing else there, sends the archive (when it
    uploads) and writes the log in the ANSI code page (Windows-1252 here),
    where a character the code page lacks is "?"."""
    name = "not ASCII, " + ("uploaded" if upload else "--no-upload")
    failures = []
    base = tempfile.mkdtemp(dir=top)
    # The company list in Windows-1252, as Sage writes it; the entry added
    # below in UTF-8, as a program that writes UTF-8 would.
    home, work, secret = make_company(base, PASSWORD, company="Zo\u00eb Caf\u00e9 Ltd",
                                      work_name="Arbeit Zo\u00eb \u20ac",
                                      company_dir="Soci\u00e9t\u00e9 Zo\u00eb",
                                      list_encoding="cp1252")
    missing = windows(os.path.join(base, "Soci\u00e9t\u00e9 \u014csaka"))
    with open(os.path.join(home, "COMPANY"), "ab") as f:
        f.write(missing.encode() + b"\r\n")
    record = os.path.join(base, "record")
    with standin(SOURCE, certs, record, "accept") as url:
        args = export_args(home, work, url, certs, secret) + (
            ["--no-browser"] if upload else ["--no-upload"])
        env = dict(harness_env(HARNESS), LANG="en_GB.UTF-8", LC_ALL="en_GB.UTF-8")
        run = subprocess.run(EMULATOR + [EXE] + args, env=env, capture_output=True, timeout=240)
    err = run.stderr.decode("utf-8", "replace")
    if run.returncode != 0:
        failures.append(f"{name}: exit status {run.returncode}\n{err}")
    if missing not in err:
        failures.append(f"{name}: the company left out is not named on stderr:\n{err}")

    stem = "Zo\u00ebCaf\u00e9Ltd_[0-9]{8}_[0-9]{4}"
    expected = ["WizardDebug.log", stem + "\\.report\\.html", stem + "\\.report\\.json",
                stem + "\\.summary\\.txt"]
    expected += [] if upload else [stem + "\\.zip"]
    kept = sorted(os.listdir(work))
    if len(kept) != len(expected) or not all(re.fullmatch(p, n) for p, n in zip(expected, kept)):
        failures.append(f"{name}: the work directory holds {kept}, expected {expected}")
    archives = [os.path.join(work, n) for n in kept if n.endswith(".zip")]
    if upload:
        archives = [os.path.join(record, n) for n in sorted(os.listdir(record))
                    if n.endswith(".zip")]
        if len(archives) != 1:
            failures.append(f"{name}: the stand-in received {len(archives)} archives")
    for archive in archives:
        names = [i.filename for i in zipfile.ZipFile(archive).infolist()]
        if names != TABLES:
            failures.append(f"{name}: {archive} holds {names}")

    log_path = os.path.join(work, "WizardDebug.log")
    log = open(log_path, "rb").read() if os.path.exists(log_path) else b""
    line = b"Company left out: " + missing.replace("\u014c", "?").encode("cp1252") + b"\\"
    if line not in log:
        failures.append(f"{name}: the log has no line {line!r}:\n{log!r}")
    if not log.endswith(b"Wizard Finished\r\n"):
        failures.append(f"{name}: the log does not end in Wizard Finished:\n{log!r}")
    return failures


def main():
    top = tempfile.mkdtemp(prefix="quillmere-cli-wine-")
    certs = make_ca(SOURCE, top)
    failures = []
    for case in CASES:
        found = run_case(top, certs, case)
        failures += found
        print(f"{case[0]}: {'ok' if not found else 'FAILED'}", flush=True)
    for upload in (False, True):
        found = run_not_ascii(top, certs, upload)
        failures += found
        print(f"not ASCII, upload {upload}: {'ok' if not found else 'FAILED'}", flush=True)
    subprocess.run(["rm", "-rf", top])
    for f in failures:
        print(f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
