#!/usr/bin/env python3
"""Checks a migration report's figures against the archive's own tables.

    reportcheck.py ARCHIVE.zip REPORT.json [--date-format dd/MM/yyyy]
                   [--category-order A,B,...] [--expect EXPECT.json]

Reads the eight tables from the archive (Windows-1252, dates in the regional
settings' short date format) and works out, with its own code and decimal
arithmetic, every figure the report holds: the archive and its tables, each
finding's items, the counts, the trial balance, the aged debtors and
creditors, the bank totals and the history. The figures a report takes from
the data source (the source side of the control totals, the original value
of a replaced character or a rounded decimal) are held against what the
table wrote and, with --expect, against what the company's fixture says.

Prints one line per figure that differs, then "checked N figures"; exits 1
when any differs.
"""
import argparse
import collections
import csv
import datetime
import hashlib
import io
import json
import os
import re
import sys
import zipfile
from decimal import ROUND_HALF_UP, Decimal, InvalidOperation

TABLES = [
    "Sales Ledger Codes.csv",
    "Sales Ledger Transactions.csv",
    "Purchase Ledger Codes.csv",
    "Purchase Ledger Transactions.csv",
    "Nominal Ledger Codes.csv",
    "Nominal Ledger Transactions.csv",
    "Payments.csv",
    "Receipts.csv",
]
SALES_CODES, SALES_TX, PURCHASE_CODES, PURCHASE_TX, NOMINAL_CODES, NOMINAL_TX, PAYMENTS, RECEIPTS = TABLES
TRANSACTION_TABLES = [SALES_TX, PURCHASE_TX, NOMINAL_TX]

SEVERITY = {
    "trial-balance": "error", "control-totals": "error", "unknown-account": "error",
    "unknown-nominal": "error", "unknown-bank": "error",
    "no-category": "warning", "balance-outstanding": "warning", "debtors-control": "warning",
    "creditors-control": "warning", "future-date": "warning", "no-date": "warning",
    "duplicate-reference": "warning", "replaced-characters": "warning",
    "rounded-decimals": "warning",
    "control-account-missing": "note", "on-hold": "note", "over-credit-limit": "note",
    "never-used": "note", "history": "note", "control-totals-unchecked": "warning",
}
SEVERITIES = ["error", "warning", "note"]

# The fields of an item that are compared, and how: money as a decimal,
# line as a number, the rest as text.
ITEM_FIELDS = {
    "trial-balance": ["total"],
    "unknown-account": ["table", "line", "transaction", "account", "transactions"],
    "unknown-nominal": ["table", "line", "transaction", "nominal", "lines"],
    "unknown-bank": ["table", "line", "reference", "bankCode", "lines"],
    "no-category": ["account", "name"],
    "balance-outstanding": ["ledger", "account", "balance", "outstanding"],
    "debtors-control": ["account", "balance", "ledgerTotal"],
    "creditors-control": ["account", "balance", "ledgerTotal"],
    "future-date": ["table", "line", "transaction", "date"],
    "no-date": ["table", "line", "transaction", "text"],
    "duplicate-reference": ["table", "type", "account", "reference", "transaction",
                            "firstTransaction"],
    "on-hold": ["ledger", "account", "name", "balance"],
    "over-credit-limit": ["ledger", "account", "name", "balance", "creditLimit"],
    "never-used": ["ledger", "account", "name"],
    "control-totals": ["table", "figure", "written", "source"],
    "replaced-characters": ["table", "column", "line", "source", "written"],
    "rounded-decimals": ["table", "column", "line", "source", "written"],
    "control-account-missing": ["ledger"],
    "history": ["first", "last", "transactions"],
    "control-totals-unchecked": ["table", "reason"],
}
MONEY_FIELDS = {"total", "balance", "outstanding", "ledgerTotal", "creditLimit"}
# Whole numbers: JSON numbers in the report.
COUNT_FIELDS = {"line", "transactions", "lines"}

BANDS = ["Current", "31-60", "61-90", "91-120", "Older"]
# Credit notes and payments on account take from what is owed.
SUBTRACTING = {"SC", "SA", "PC", "PA"}

LEDGER_MONEY = ["CREDIT_LIMIT", "BALANCE"]
TRANSACTION_MONEY = ["JOURNAL_AMOUNT", "NET_AMOUNT", "TAX_AMOUNT", "GROSS_AMOUNT",
                     "AMOUNT_PAID", "PAYMENT", "OUTSTANDING"]
TABLE_MONEY = {
    SALES_CODES: LEDGER_MONEY, SALES_TX: TRANSACTION_MONEY,
    PURCHASE_CODES: LEDGER_MONEY, PURCHASE_TX: TRANSACTION_MONEY,
    NOMINAL_CODES: ["BALANCE"], NOMINAL_TX: TRANSACTION_MONEY,
    PAYMENTS: ["AMOUNT"], RECEIPTS: ["AMOUNT"],
}

MONEY_TEXT = re.compile(r"^-?[0-9]+\.[0-9]{2,}$")
ZERO = Decimal(0)


class Checks:
    """Counts the figures compared and keeps a line for each that differs."""

    def __init__(self):
        self.checked = 0
        self.problems = []

    def same(self, figure, reported, computed):
        self.checked += 1
        if reported != computed:
            self.problems.append(f"{figure}: report {show(reported)}, tables {show(computed)}")
            return False
        return True

    def fail(self, text):
        self.checked += 1
        self.problems.append(text)


def show(value):
    if isinstance(value, (list, tuple)):
        return "[" + ", ".join(show(v) for v in value) + "]"
    if isinstance(value, Decimal):
        return str(value)
    return json.dumps(value, ensure_ascii=False, default=str)


def money(text):
    """A money value as the tables write it: empty is zero."""
    text = (text or "").strip()
    return Decimal(text) if text else ZERO


def report_money(checks, figure, value):
    """A money figure of the report: a decimal text with two places or more."""
    if not isinstance(value, str) or not MONEY_TEXT.match(value):
        checks.fail(f"{figure}: {show(value)} is not a money text like \"-1234.50\"")
        try:
            return Decimal(str(value))
        except InvalidOperation:
            return None
    return Decimal(value)


# --- The tables ---------------------------------------------------------------

class Row(dict):
    """A record of a table by column name, with the file line it starts on."""
    line = 0


def read_table(text):
    lines = io.StringIO(text, newline="")
    reader = csv.reader(lines)
    header = [name.strip() for name in next(reader)]
    rows = []
    ended = reader.line_num
    for record in reader:
        row = Row(zip(header, record))
        row.line = ended + 1
        ended = reader.line_num
        rows.append(row)
    return header, rows


def date_parser(picture):
    fmt = picture
    for field, code in (("yyyy", "%Y"), ("dd", "%d"), ("MM", "%m")):
        fmt = fmt.replace(field, code)

    def parse(text):
        try:
            return datetime.datetime.strptime(text.strip(), fmt).date()
        except ValueError:
            return None
    return parse


class Transaction:
    """A transaction of a table: its first line's values (its journal lines
    repeat the split's)."""

    def __init__(self, table, row, parse_date):
        self.table = table
        self.line = row.line
        self.number = row["TRANSACTION_NO"]
        self.type = row["TRANSACTION_TYPE"]
        self.account = row["ACCOUNT"]
        self.reference = row["INV_REF"]
        self.date_text = row["TRANSACTION_DATE"]
        self.date = parse_date(self.date_text) if self.date_text.strip() else None
        self.outstanding = money(row["OUTSTANDING"])

    def signed_outstanding(self):
        # Credit notes and payments on account reduce what is owed by their
        # amount, whichever sign the books keep it in.
        return -abs(self.outstanding) if self.type in SUBTRACTING else self.outstanding


class Books:
    def __init__(self, archive, parse_date):
        self.entries = []
        self.tables = {}
        with zipfile.ZipFile(archive) as z:
            for info in z.infolist():
                text = z.read(info).decode("cp1252")
                header, rows = read_table(text)
                self.entries.append((info.filename, len(rows), info.file_size))
                self.tables[info.filename] = (header, rows)
        missing = [t for t in TABLES if t not in self.tables]
        if missing:
            raise SystemExit(f"reportcheck: the archive lacks {', '.join(missing)}")
        self.transactions = {}
        for table in TRANSACTION_TABLES:
            first = {}
            for row in self.rows(table):
                if row["TRANSACTION_NO"] not in first:
                    first[row["TRANSACTION_NO"]] = Transaction(table, row, parse_date)
            self.transactions[table] = list(first.values())
        self.nominal = {r["ACCOUNT_REF"]: r for r in self.rows(NOMINAL_CODES)}

    def rows(self, table):
        return self.tables[table][1]


# --- The findings, worked out from the tables -----------------------------------

def ledger_accounts(books, table):
    return {r["ACCOUNT_CODE"]: r for r in books.rows(table)}


def control_account(books, reference, name):
    """The control account: the usual reference, else an account named so."""
    if reference in books.nominal:
        return books.nominal[reference]
    for row in books.rows(NOMINAL_CODES):
        if name in row["ACCOUNT_NAME"].lower():
            return row
    return None


def findings(books, export_date):
    found = collections.defaultdict(list)
    sales = ledger_accounts(books, SALES_CODES)
    purchase = ledger_accounts(books, PURCHASE_CODES)
    ledgers = [("sales", sales, SALES_TX), ("purchase", purchase, PURCHASE_TX)]

    total = sum((money(r["BALANCE"]) for r in books.rows(NOMINAL_CODES)), ZERO)
    if total != 0:
        found["trial-balance"].append({"total": total})

    # A code that names no account is one item per table: where it is first
    # met, and how many transactions (journal lines, allocations) name it.
    def grouped(code, items, count_name):
        first = {}
        for item, key in items:
            if key in first:
                first[key][count_name] += 1
            else:
                first[key] = dict(item, **{count_name: 1})
        found[code].extend(first.values())

    known = {SALES_TX: sales, PURCHASE_TX: purchase, NOMINAL_TX: books.nominal}
    for table in TRANSACTION_TABLES:
        grouped("unknown-account",
                [({"table": table, "line": t.line, "transaction": t.number, "account": t.account},
                  t.account) for t in books.transactions[table] if t.account not in known[table]],
                "transactions")
        grouped("unknown-nominal",
                [({"table": table, "line": row.line, "transaction": row["TRANSACTION_NO"],
                   "nominal": row["NOMINAL"]}, row["NOMINAL"])
                 for row in books.rows(table) if row["NOMINAL"] not in books.nominal],
                "lines")
        for t in books.transactions[table]:
            if t.date is None:
                found["no-date"].append(
                    {"table": table, "line": t.line, "transaction": t.number, "text": t.date_text})
            elif t.date > export_date:
                found["future-date"].append({"table": table, "line": t.line, "transaction": t.number,
                                             "date": t.date.isoformat()})

    for table in (PAYMENTS, RECEIPTS):
        grouped("unknown-bank",
                [({"table": table, "line": row.line, "reference": row["REFERENCE"],
                   "bankCode": row["BANK CODE"]}, row["BANK CODE"])
                 for row in books.rows(table) if row["BANK CODE"] not in books.nominal],
                "lines")

    for row in books.rows(NOMINAL_CODES):
        if not row["CATEGORY"].strip():
            found["no-category"].append({"account": row["ACCOUNT_REF"], "name": row["ACCOUNT_NAME"]})

    for ledger, accounts, table in ledgers:
        outstanding = collections.defaultdict(Decimal)
        used = set()
        for t in books.transactions[table]:
            outstanding[t.account] += t.signed_outstanding()
            used.add(t.account)
        seen = {}
        for t in books.transactions[table]:
            if not t.reference.strip():
                continue
            key = (t.type, t.account, t.reference)
            if key in seen:
                found["duplicate-reference"].append(
                    {"table": table, "type": t.type, "account": t.account,
                     "reference": t.reference, "transaction": t.number,
                     "firstTransaction": seen[key]})
            else:
                seen[key] = t.number
        for account, row in accounts.items():
            balance = money(row["BALANCE"])
            limit = money(row["CREDIT_LIMIT"])
            name = row["ACCOUNT_NAME"]
            if balance != outstanding[account]:
                found["balance-outstanding"].append({"ledger": ledger, "account": account,
                                                     "balance": balance,
                                                     "outstanding": outstanding[account]})
            if row["ACCOUNT_ON_HOLD"].strip() not in ("", "0"):
                found["on-hold"].append(
                    {"ledger": ledger, "account": account, "name": name, "balance": balance})
            if limit > 0 and balance > limit:
                found["over-credit-limit"].append({"ledger": ledger, "account": account,
                                                   "name": name, "balance": balance,
                                                   "creditLimit": limit})
            if account not in used and balance == 0:
                found["never-used"].append({"ledger": ledger, "account": account, "name": name})

    # A nominal account is used when a journal line posts to it, a nominal
    # transaction names it or a payment or receipt goes through it.
    used = set()
    for table in TRANSACTION_TABLES:
        used.update(r["NOMINAL"] for r in books.rows(table))
    used.update(t.account for t in books.transactions[NOMINAL_TX])
    for table in (PAYMENTS, RECEIPTS):
        used.update(r["BANK CODE"] for r in books.rows(table))
    for account, row in books.nominal.items():
        if account not in used and money(row["BALANCE"]) == 0:
            found["never-used"].append(
                {"ledger": "nominal", "account": account, "name": row["ACCOUNT_NAME"]})

    for code, ledger, accounts, reference, name, sign in (
            ("debtors-control", "sales", sales, "1100", "debtors control", 1),
            ("creditors-control", "purchase", purchase, "2100", "creditors control", -1)):
        control = control_account(books, reference, name)
        if control is None:
            found["control-account-missing"].append({"ledger": ledger})
            continue
        ledger_total = sign * sum((money(r["BALANCE"]) for r in accounts.values()), ZERO)
        balance = money(control["BALANCE"])
        if balance != ledger_total:
            found[code].append({"account": control["ACCOUNT_REF"], "balance": balance,
                                "ledgerTotal": ledger_total})

    # The history: always there, as a note.
    transactions = [t for table in TRANSACTION_TABLES for t in books.transactions[table]]
    dates = [t.date for t in transactions if t.date is not None]
    found["history"].append({"first": min(dates).isoformat() if dates else None,
                             "last": max(dates).isoformat() if dates else None,
                             "transactions": len(transactions)})
    return found


def item_key(checks, code, item, figure):
    key = []
    for field in ITEM_FIELDS[code]:
        if field not in item:
            checks.fail(f"{figure}: no field {field}")
            key.append((field, None))
            continue
        value = item[field]
        if field in MONEY_FIELDS:
            value = report_money(checks, f"{figure}.{field}", value)
        elif field in COUNT_FIELDS:
            value = value if isinstance(value, int) else f"not a number: {value!r}"
        elif value is not None:
            value = str(value)
        key.append((field, value))
    return tuple(key)


def computed_key(code, item):
    return tuple((field, item[field]) for field in ITEM_FIELDS[code])


def check_items(checks, code, reported, computed):
    """The items as multisets: what the report lists and the tables do not,
    and the other way round."""
    mine = collections.Counter(computed_key(code, i) for i in computed)
    theirs = collections.Counter(item_key(checks, code, item, f"findings[{code}].items[{n}]")
                                 for n, item in enumerate(reported))
    checks.checked += 1
    for key in sorted((theirs - mine).elements(), key=str):
        checks.problems.append(f"findings[{code}]: the report has {describe(key)}, "
                               "which the tables do not give")
    for key in sorted((mine - theirs).elements(), key=str):
        checks.problems.append(f"findings[{code}]: the tables give {describe(key)}, "
                               "which the report lacks")


def describe(key):
    return "{" + ", ".join(f"{f}: {show(v)}" for f, v in key) + "}"


# --- The sections -----------------------------------------------------------------

def check_archive(checks, report, archive, books):
    facts = report.get("archive", {})
    data = open(archive, "rb").read()
    checks.same("archive.name", facts.get("name"), os.path.basename(archive))
    checks.same("archive.bytes", facts.get("bytes"), len(data))
    checks.same("archive.sha256", facts.get("sha256"), hashlib.sha256(data).hexdigest())
    tables = report.get("tables", [])
    checks.same("tables (files in archive order)", [t.get("file") for t in tables],
                [name for name, _, _ in books.entries])
    for t, (name, records, size) in zip(tables, books.entries):
        checks.same(f"tables[{name}].records", t.get("records"), records)
        checks.same(f"tables[{name}].bytes", t.get("bytes"), size)


def check_findings(checks, report, books, export_date, expect):
    computed = findings(books, export_date)
    present = report.get("findings", [])
    codes = [f.get("code") for f in present]
    checks.same("findings (codes, each once)", sorted(set(codes)), sorted(codes))
    ranks = [SEVERITIES.index(f.get("severity")) if f.get("severity") in SEVERITIES else -1
             for f in present]
    checks.same("findings order (errors, warnings, notes)", ranks, sorted(ranks))
    by_code = {}
    for f in present:
        code = f.get("code")
        if code not in SEVERITY:
            checks.fail(f"findings: unknown code {code!r}")
            continue
        by_code[code] = f
        checks.same(f"findings[{code}].severity", f.get("severity"), SEVERITY[code])
        items = f.get("items", [])
        checks.same(f"findings[{code}].count", f.get("count"), len(items))
        if not items:
            checks.fail(f"findings[{code}]: present with no item")
        for field in ("title", "advice"):
            if not isinstance(f.get(field), str) or not f.get(field).strip():
                checks.fail(f"findings[{code}].{field}: missing or empty")
    counts = report.get("counts", {})
    for severity in SEVERITIES:
        checks.same(f"counts.{severity}", counts.get(severity),
                    sum(1 for f in present if f.get("severity") == severity))

    for code in SEVERITY:
        if code in ("replaced-characters", "rounded-decimals", "control-totals"):
            continue
        reported = by_code.get(code, {}).get("items", [])
        check_items(checks, code, reported, computed.get(code, []))

    check_written_values(checks, books, by_code)
    check_control_totals(checks, report, books, by_code)
    if expect:
        check_expected(checks, report, books, by_code, expect, export_date)


def check_written_values(checks, books, by_code):
    """What the report says was written is what the table holds there, and
    follows from the data source's value."""
    for code in ("replaced-characters", "rounded-decimals"):
        for n, item in enumerate(by_code.get(code, {}).get("items", [])):
            figure = f"findings[{code}].items[{n}]"
            table, column, line = item.get("table"), item.get("column"), item.get("line")
            rows = books.tables.get(table, ([], []))[1]
            row = next((r for r in rows if r.line == line), None)
            if row is None or column not in row:
                checks.fail(f"{figure}: {table} has no value at line {line} column {column}")
                continue
            checks.same(f"{figure}.written (the table's value)", item.get("written"), row[column])
            source = item.get("source")
            if not isinstance(source, str):
                checks.fail(f"{figure}.source: {show(source)} is not a text")
                continue
            if code == "replaced-characters":
                checks.same(f"{figure}.written (the source in Windows-1252)", item.get("written"),
                            source.encode("cp1252", "replace").decode("cp1252"))
                if source.encode("cp1252", "replace") == source.encode("cp1252", "ignore"):
                    checks.fail(f"{figure}.source: {show(source)} lacks nothing in Windows-1252")
            else:
                try:
                    value = Decimal(source)
                except InvalidOperation:
                    checks.fail(f"{figure}.source: {show(source)} is not a number")
                    continue
                if value.as_tuple().exponent >= -4 or value == value.quantize(Decimal("0.0001")):
                    checks.fail(f"{figure}.source: {source} has no more than four places")
                checks.same(f"{figure}.written (the source to four places)",
                            Decimal(row[column]),
                            value.quantize(Decimal("0.0001"), rounding=ROUND_HALF_UP))


def check_control_totals(checks, report, books, by_code):
    totals = report.get("controlTotals", [])
    checks.same("controlTotals (tables in archive order)", [t.get("table") for t in totals],
                TABLES)
    differing = []
    rounded = collections.Counter((i.get("table"), i.get("column"))
                                  for i in by_code.get("rounded-decimals", {}).get("items", []))
    for entry in totals:
        table = entry.get("table")
        if table not in books.tables:
            continue
        rows = books.rows(table)
        records = entry.get("records", {})
        checks.same(f"controlTotals[{table}].records.written", records.get("written"), len(rows))
        agreement = records.get("agreement")
        if agreement == "agrees":
            checks.same(f"controlTotals[{table}].records.source", records.get("source"), len(rows))
        elif agreement == "differs":
            differing.append((table, "records", str(records.get("written")),
                              str(records.get("source"))))
        elif agreement != "unchecked":
            checks.fail(f"controlTotals[{table}].records.agreement: {agreement!r}")
        columns = [m.get("column") for m in entry.get("money", [])]
        if not entry.get("unchecked"):
            checks.same(f"controlTotals[{table}].money (columns)", columns, TABLE_MONEY[table])
        for m in entry.get("money", []):
            column = m.get("column")
            figure = f"controlTotals[{table}].{column}"
            if column not in books.tables[table][0]:
                checks.fail(f"{figure}: {table} has no such column")
                continue
            written = report_money(checks, f"{figure}.written", m.get("written"))
            checks.same(f"{figure}.written", written,
                        sum((money(r[column]) for r in rows), ZERO))
            checks.same(f"{figure}.roundedValues (rounded-decimals items)",
                        m.get("roundedValues"), rounded[(table, column)])
            agreement = m.get("agreement")
            if agreement in ("agrees", "differs"):
                compared = report_money(checks, f"{figure}.compared", m.get("compared"))
                checks.same(f"{figure}.agreement ({show(m.get('written'))} against compared "
                            f"{show(m.get('compared'))})", agreement,
                            "agrees" if written == compared else "differs")
                if agreement == "differs":
                    differing.append((table, column, m.get("written"), m.get("source")))
            elif agreement != "unchecked":
                checks.fail(f"{figure}.agreement: {agreement!r}")
    reported = collections.Counter(
        (i.get("table"), i.get("figure"), str(i.get("written")), str(i.get("source")))
        for i in by_code.get("control-totals", {}).get("items", []))
    checks.same("findings[control-totals] (the figures that differ in controlTotals)",
                sorted(reported.elements(), key=str),
                sorted(collections.Counter(differing).elements(), key=str))


def split_bands(checks, figure, values):
    if not isinstance(values, list) or len(values) != len(BANDS):
        checks.fail(f"{figure}: {show(values)} is not {len(BANDS)} money texts")
        return [None] * len(BANDS)
    return [report_money(checks, f"{figure}[{n}]", v) for n, v in enumerate(values)]


def band_of(t, export_date):
    if t.date is None:
        return len(BANDS) - 1
    age = (export_date - t.date).days
    for band, most in enumerate((30, 60, 90, 120)):
        if age <= most:
            return band
    return len(BANDS) - 1


def aged(books, table, codes, export_date):
    accounts = collections.defaultdict(lambda: [ZERO] * len(BANDS))
    for t in books.transactions[table]:
        accounts[t.account][band_of(t, export_date)] += t.signed_outstanding()
    names = {r["ACCOUNT_CODE"]: r["ACCOUNT_NAME"] for r in books.rows(codes)}
    return {account: (names.get(account, ""), bands)
            for account, bands in accounts.items() if any(bands)}


def check_aged(checks, report, books, export_date):
    for section, table, codes in (("agedDebtors", SALES_TX, SALES_CODES),
                                  ("agedCreditors", PURCHASE_TX, PURCHASE_CODES)):
        figures = report.get(section, {})
        mine = aged(books, table, codes, export_date)
        checks.same(f"{section}.bands", figures.get("bands"), BANDS)
        listed = [a.get("account") for a in figures.get("accounts", [])]
        checks.same(f"{section}.accounts (each once)", sorted(listed), sorted(set(listed)))
        checks.same(f"{section}.accounts (those with a band not zero)", sorted(listed),
                    sorted(mine))
        for entry in figures.get("accounts", []):
            account = entry.get("account")
            if account not in mine:
                continue
            name, bands = mine[account]
            figure = f"{section}[{account}]"
            checks.same(f"{figure}.name", entry.get("name"), name)
            checks.same(f"{figure}.bands", split_bands(checks, f"{figure}.bands",
                                                       entry.get("bands")), bands)
            checks.same(f"{figure}.total", report_money(checks, f"{figure}.total",
                                                        entry.get("total")), sum(bands, ZERO))
        totals = [sum((b[n] for _, b in mine.values()), ZERO) for n in range(len(BANDS))]
        checks.same(f"{section}.totals", split_bands(checks, f"{section}.totals",
                                                     figures.get("totals")), totals)
        checks.same(f"{section}.total", report_money(checks, f"{section}.total",
                                                     figures.get("total")), sum(totals, ZERO))


def check_trial_balance(checks, report, books, category_order):
    figures = report.get("trialBalance", {})
    mine = collections.OrderedDict()
    for row in books.rows(NOMINAL_CODES):
        balance = money(row["BALANCE"])
        entry = (row["ACCOUNT_REF"], row["ACCOUNT_NAME"], max(balance, ZERO), max(-balance, ZERO))
        mine.setdefault(row["CATEGORY"].strip(), []).append(entry)
    categories = figures.get("categories", [])
    names = [c.get("name") for c in categories]
    if "" in names:
        checks.same("trialBalance.categories: no category last", names.index(""),
                    len(names) - 1)
    if category_order is not None:
        checks.same("trialBalance.categories (the chart's order)",
                    [n for n in names if n != ""], [n for n in category_order if n in mine])
    checks.same("trialBalance.categories (each once)", sorted(names), sorted(set(names)))
    # An account with a zero balance adds nothing: listed or not, both hold.
    with_balance = sorted(c for c, accounts in mine.items() if any(d or k for _, _, d, k in accounts))
    checks.same("trialBalance.categories (those with a balance)",
                sorted(n for n in names if n in with_balance or n not in mine), with_balance)
    total_debit = total_credit = ZERO
    for category in categories:
        name = category.get("name")
        figure = f"trialBalance[{name}]"
        accounts = mine.get(name, [])
        listed = [a.get("account") for a in category.get("accounts", [])]
        expected = [a for a, _, d, k in accounts if d or k or a in listed]
        checks.same(f"{figure}.accounts (in the table's order)", listed, expected)
        by_account = {a: (n, d, k) for a, n, d, k in accounts}
        for entry in category.get("accounts", []):
            account = entry.get("account")
            if account not in by_account:
                continue
            n, d, k = by_account[account]
            checks.same(f"{figure}[{account}].name", entry.get("name"), n)
            checks.same(f"{figure}[{account}].debit",
                        report_money(checks, f"{figure}[{account}].debit", entry.get("debit")), d)
            checks.same(f"{figure}[{account}].credit",
                        report_money(checks, f"{figure}[{account}].credit", entry.get("credit")), k)
        debit = sum((d for _, _, d, _ in accounts), ZERO)
        credit = sum((k for _, _, _, k in accounts), ZERO)
        checks.same(f"{figure}.debit", report_money(checks, f"{figure}.debit",
                                                    category.get("debit")), debit)
        checks.same(f"{figure}.credit", report_money(checks, f"{figure}.credit",
                                                     category.get("credit")), credit)
    for accounts in mine.values():
        total_debit += sum((d for _, _, d, _ in accounts), ZERO)
        total_credit += sum((k for _, _, _, k in accounts), ZERO)
    checks.same("trialBalance.debit", report_money(checks, "trialBalance.debit",
                                                   figures.get("debit")), total_debit)
    checks.same("trialBalance.credit", report_money(checks, "trialBalance.credit",
                                                    figures.get("credit")), total_credit)


def check_bank(checks, report, books):
    mine = collections.defaultdict(lambda: {"payments": [0, ZERO], "receipts": [0, ZERO]})
    for table, side in ((PAYMENTS, "payments"), (RECEIPTS, "receipts")):
        for row in books.rows(table):
            mine[row["BANK CODE"]][side][0] += 1
            mine[row["BANK CODE"]][side][1] += money(row["AMOUNT"])
    bank = report.get("bank", [])
    checks.same("bank (codes in order)", [b.get("bankCode") for b in bank], sorted(mine))
    for entry in bank:
        code = entry.get("bankCode")
        if code not in mine:
            continue
        name = books.nominal[code]["ACCOUNT_NAME"] if code in books.nominal else ""
        checks.same(f"bank[{code}].name", entry.get("name"), name)
        for side in ("payments", "receipts"):
            figures = entry.get(side, {})
            count, amount = mine[code][side]
            checks.same(f"bank[{code}].{side}.count", figures.get("count"), count)
            checks.same(f"bank[{code}].{side}.amount",
                        report_money(checks, f"bank[{code}].{side}.amount",
                                     figures.get("amount")), amount)


def check_history(checks, report, books):
    history = report.get("history", {})
    transactions = [t for table in TRANSACTION_TABLES for t in books.transactions[table]]
    dates = [t.date for t in transactions if t.date is not None]
    checks.same("history.first", history.get("first"),
                min(dates).isoformat() if dates else None)
    checks.same("history.last", history.get("last"), max(dates).isoformat() if dates else None)
    checks.same("history.transactions", history.get("transactions"), len(transactions))
    checks.same("history.types", history.get("types"),
                dict(collections.Counter(t.type for t in transactions)))


# --- What the fixture says ---------------------------------------------------------

def same_source(code, reported, wanted):
    if code != "rounded-decimals":
        return reported == wanted
    try:
        return Decimal(str(reported)) == Decimal(wanted)
    except InvalidOperation:
        return False


def check_expected(checks, report, books, by_code, expect, export_date):
    """The fixture's own knowledge: which findings it makes, and the figures
    the tables cannot tell (the data source's values)."""
    counts = {f.get("code"): f.get("count") for f in report.get("findings", [])}
    checks.same("findings (code: count) the fixture makes", counts, expect["findings"])
    for code, wanted in expect.get("items", {}).items():
        items = by_code.get(code, {}).get("items", [])
        for want in wanted:
            figure = f"findings[{code}] for {want['table']} {want['column']} {show(want['source'])}"
            match = [i for i in items if i.get("table") == want["table"]
                     and i.get("column") == want["column"]
                     and same_source(code, i.get("source"), want["source"])]
            if len(match) != 1:
                checks.fail(f"{figure}: {len(match)} items, 1 expected")
                continue
            rows = [r for r in books.rows(want["table"])
                    if all(r.get(c) == v for c, v in want["where"].items())]
            if len(rows) != 1:
                checks.fail(f"{figure}: {len(rows)} rows of the table where {show(want['where'])}")
                continue
            checks.same(f"{figure}.line", match[0].get("line"), rows[0].line)
            checks.same(f"{figure}.written", match[0].get("written"), want["written"])
    if expect.get("controlTotalsAgree"):
        for entry in report.get("controlTotals", []):
            table = entry.get("table")
            if entry.get("records", {}).get("agreement") == "differs":
                checks.fail(f"controlTotals[{table}].records: differs")
            for m in entry.get("money", []):
                checks.same(f"controlTotals[{table}].{m.get('column')}.agreement",
                            m.get("agreement"), "agrees")
    for section in ("agedDebtors", "agedCreditors"):
        if section in expect:
            figures = report.get(section, {})
            checks.same(f"{section}.totals (the fixture's)",
                        split_bands(checks, f"{section}.totals", figures.get("totals")),
                        [Decimal(v) for v in expect[section]["totals"]])
    if "trialBalanceTotal" in expect:
        tb = report.get("trialBalance", {})
        checks.same("trialBalance debit - credit (the fixture's)",
                    report_money(checks, "trialBalance.debit", tb.get("debit"))
                    - report_money(checks, "trialBalance.credit", tb.get("credit")),
                    Decimal(expect["trialBalanceTotal"]))
    history = report.get("history", {})
    if "historyFirstDaysAgo" in expect:
        checks.same("history.first (the fixture's)", history.get("first"),
                    (export_date - datetime.timedelta(days=expect["historyFirstDaysAgo"])).isoformat())
    if "historyLast" in expect:
        checks.same("history.last (the fixture's)", history.get("last"), expect["historyLast"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("archive")
    parser.add_argument("report")
    parser.add_argument("--date-format", default="dd/MM/yyyy")
    parser.add_argument("--category-order")
    parser.add_argument("--expect")
    args = parser.parse_args()

    with open(args.report, encoding="utf-8") as f:
        report = json.load(f)
    expect = None
    if args.expect:
        with open(args.expect, encoding="utf-8") as f:
            expect = json.load(f)
    checks = Checks()
    checks.same("format", report.get("format"), "quillmere-migration-report/1")
    try:
        export_date = datetime.date.fromisoformat(report.get("exportDate"))
    except (TypeError, ValueError):
        raise SystemExit(f"reportcheck: exportDate {report.get('exportDate')!r} is no ISO date")
    checks.same("exportDate (the day of exportedAt)", report.get("exportDate"),
                str(report.get("exportedAt", ""))[:10])
    books = Books(args.archive, date_parser(args.date_format))

    check_archive(checks, report, args.archive, books)
    check_findings(checks, report, books, export_date, expect)
    check_trial_balance(checks, report, books,
                        args.category_order.split(",") if args.category_order else None)
    check_aged(checks, report, books, export_date)
    check_bank(checks, report, books)
    check_history(checks, report, books)

    for problem in checks.problems:
        print(problem)
    print(f"checked {checks.checked} figures")
    return 1 if checks.problems else 0


if __name__ == "__main__":
    sys.exit(main())
