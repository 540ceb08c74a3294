"""What the Linux-side drivers of quillmere-export runs share: a company in a
Sage data directory, the HTTPS stand-in on https://localhost with a private
CA, and Windows paths for the program under Wine."""

import contextlib
import os
import subprocess
import sys

PASSWORD = "letmein"
# The archive's entries in order (tests/support/TableNames.h).
TABLES = ["Sales Ledger Codes.csv", "Sales Ledger Transactions.csv", "Purchase Ledger Codes.csv",
          "Purchase Ledger Transactions.csv", "Nominal Ledger Codes.csv",
          "Nominal Ledger Transactions.csv", "Payments.csv", "Receipts.csv"]


def windows(path):
    """The Unix path as the Windows program sees it (Wine's Z: drive)."""
    return "Z:" + path.replace("/", "\\")


def make_ca(source, top):
    """A private CA and a certificate for 127.0.0.1 and localhost, in RSA as
    Schannel under Wine takes them. Returns the directory."""
    certs = os.path.join(top, "certs")
    subprocess.run(["bash", os.path.join(source, "tests/standin/make-ca.sh"), certs, "--rsa",
                    "--san", "IP:127.0.0.1,DNS:localhost"], check=True, capture_output=True)
    return certs


def make_company(base, password, native=windows, company="Acme Trading Ltd",
                 work_name="work", company_dir="Acme", list_encoding="utf-8"):
    """A Sage data directory with one company under `base` (in `company_dir`,
    its SETUP.DTA naming `company`, Windows-1252), the home directory whose
    COMPANY file lists it (in `list_encoding`), an empty work directory and a
    password file. `native` turns a Unix path into the one the program is
    given. Returns (home, work, secret) as Unix paths."""
    acme = os.path.join(base, "Sage Data", company_dir)
    os.makedirs(os.path.join(acme, "ACCDATA"))
    setup = b"\x01\x02\x03" + company.encode("cp1252")
    with open(os.path.join(acme, "ACCDATA", "SETUP.DTA"), "wb") as f:
        f.write(setup.ljust(103, b" "))
    home = os.path.join(base, "home")
    os.makedirs(home)
    with open(os.path.join(home, "COMPANY"), "wb") as f:
        f.write(native(acme).encode(list_encoding) + b"\r\n")
    work = os.path.join(base, work_name)
    os.makedirs(work)
    secret = os.path.join(base, "secret")
    with open(secret, "w") as f:
        f.write(password + "\r\n")
    return home, work, secret


@contextlib.contextmanager
def standin(source, certs, record, mode):
    """The service's stand-in, recording in `record`; yields its address."""
    process = subprocess.Popen(
        [sys.executable, os.path.join(source, "tests/standin/standin.py"), "--port", "0",
         "--cert-dir", certs, "--record-dir", record, "--mode", mode],
        stdout=subprocess.PIPE, text=True)
    try:
        port = process.stdout.readline().strip()
        yield f"https://localhost:{port}"
    finally:
        process.terminate()
        process.wait()


def export_args(home, work, url, certs, secret, native=windows):
    """The command line of an unattended run of version 17 as manager on
    chart 1."""
    return ["--sage-version", "17", "--home", native(home), "--user", "manager", "--chart", "1",
            "--work-dir", native(work), "--service-url", url,
            "--ca-file", native(os.path.join(certs, "ca.pem")), "--password-file", native(secret)]


def harness_env(harness):
    """The environment that leads the ODBC driver manager to the harness."""
    return dict(os.environ, ODBCSYSINI=harness, ODBCINI=os.path.join(harness, "odbc.ini"))
