#!/usr/bin/env python3
"""The demo company: a small UK joinery business with a year of books.

    make-demo.py sql                 the company's data as SQL (for sage-harness start)
    make-demo.py home DIR            lays out a Sage home directory in DIR: the
                                     COMPANY list (absolute paths, so it is made
                                     here and now) and two company directories
                                     with ACCDATA/SETUP.DTA

The data is made from a fixed seed, so every run gives the same books. It has
what real books have: quotes, commas and pound signs in names and details,
missing values, credit notes with negative amounts, deleted transactions,
part payments, payments on account and allocations of nothing.
"""
import datetime
import os
import random
import sys

COMPANIES = [
    # (directory name, company name as SETUP.DTA holds it)
    ("WrenHollis", "Wren & Hollis Joinery Ltd"),
    ("Kestrel", "Kestrel Caf\u00e9 Co-operative"),
]

YEAR_START = datetime.date(2025, 4, 1)
VAT = 0.20

NOMINAL = [
    # (reference, name, account type)
    ("0010", "Freehold Property", 0), ("0020", "Plant and Machinery", 0),
    ("0021", "Plant/Machinery Depreciation", 0), ("0030", "Office Equipment", 0),
    ("0050", "Motor Vehicles", 0), ("0051", "Motor Vehicles Depreciation", 0),
    ("1001", "Stock", 0), ("1100", "Debtors Control Account", 0),
    ("1200", "Bank Current Account", 1), ("1210", "Bank Deposit Account", 1),
    ("1230", "Petty Cash", 1), ("2100", "Creditors Control Account", 0),
    ("2200", "Sales Tax Control Account", 0), ("2201", "Purchase Tax Control Account", 0),
    ("2202", "VAT Liability", 0), ("2210", "P.A.Y.E.", 0), ("2211", "National Insurance", 0),
    ("2300", "Loans", 0), ("3000", "Capital", 0), ("3200", "Profit and Loss Account", 0),
    ("4000", "Sales - Doors & Windows", 0), ("4010", "Sales - Kitchens", 0),
    ("4020", "Sales - Repairs, \"Call-outs\"", 0), ("4900", "Other Income", 0),
    ("5000", "Materials - Timber", 0), ("5001", "Materials - Ironmongery", 0),
    ("5100", "Carriage", 0), ("6000", "Subcontractors", 0), ("7000", "Gross Wages", 0),
    ("7100", "Rent", 0), ("7200", "Electricity", 0), ("7300", "Motor Fuel", 0),
    ("7500", "Office Stationery", 0), ("7502", "Telephone", 0), ("7600", "Legal Fees", 0),
    ("7900", "Bank Interest Paid", 0), ("8000", "Depreciation", 0),
    ("9998", "Suspense Account", 0), ("9999", "Mispostings Account", 0),
]

# (title, category, flag, low, high): the ranges of the standard chart.
CATEGORIES = [
    ("Sales", 1, 0, "4000", "4999"),
    ("Purchases", 2, 0, "5000", "5999"),
    ("Direct Expenses", 3, 0, "6000", "6999"),
    ("Overheads", 4, 0, "7000", "8999"),
    ("Fixed Assets", 5, 1, "0010", "0999"),
    ("Current Assets", 6, 1, "1000", "1999"),
    ("Current Liabilities", 7, 2, "2000", "2299"),
    ("Long Term Liabilities", 8, 2, "2300", "2999"),
    ("Capital & Reserves", 9, 2, "3000", "3999"),
]

FIRST = ["Abbey", "Beacon", "Castle", "Dale", "Elm", "Fairway", "Granary", "Harbour", "Ivy",
         "Juniper", "Kings", "Lark", "Mill", "Northgate", "Orchard", "Priory", "Quayside",
         "Riverside", "St. Anne's", "Thistle", "Union", "Vale", "Weir", "Yew Tree"]
KIND = ["Builders", "Developments", "Homes", "Lettings", "Estates", "Interiors", "Contractors"]
TOWNS = [("Leeds", "LS1"), ("York", "YO1"), ("Harrogate", "HG1"), ("Otley", "LS21"),
         ("Ripon", "HG4"), ("Wetherby", "LS22"), ("Skipton", "BD23"), ("Ilkley", "LS29")]
STREETS = ["High Street", "Station Road", "Church Lane", "Mill Street", "Park Road", "Victoria Road"]
SUPPLIERS = ["Northern Timber Supplies Ltd", "Ironmongery Direct", "Dales Hardwoods",
             "Yorkshire Glass, Glazing & Mirrors", "Fix-It Fasteners", "O'Brien Haulage",
             "Power Tools \"R\" Us", "British Gas Business", "BT Business", "Leeds City Council",
             "Ryder & Sons Solicitors", "Halifax Fuel Cards", "Office Supplies (UK) Ltd",
             "Pennine Subcontract Joinery", "Sawmill Services", "Glue & Finishes Co.",
             "Aire Valley Plant Hire", "Smith, Jones & Partners", "Crown Paints",
             "Travis Perkins \u00a3-Saver", "Howarth Timber", "Keystone Lintels"]
JOBS = ["Supply and fit oak front door", "Sash window repairs", "Fitted kitchen, phase 1",
        "Fitted kitchen, phase 2", "Staircase, 14 treads", "Skirting and architrave",
        "Call-out: \"sticking\" back door", "Bespoke wardrobes x2", "Garden gate, 6' wide",
        "Window boards, 5 rooms", "Replacement fire door (FD30)", "Loft hatch & ladder"]


def q(value):
    """A SQL literal."""
    if value is None:
        return "NULL"
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, (int, float)):
        return repr(round(value, 2)) if isinstance(value, float) else str(value)
    return "'" + str(value).replace("'", "''") + "'"


def rows(table, columns, values):
    out = [f"INSERT INTO {table} ({', '.join(columns)}) VALUES"]
    out.append(",\n".join("    (" + ", ".join(q(v) for v in row) + ")" for row in values) + ";")
    return "\n".join(out)


def money(rng, low, high):
    return round(rng.uniform(low, high), 2)


def accounts(rng, names, prefix_len, nominal):
    result = []
    for i, name in enumerate(names):
        letters = "".join(c for c in name.upper() if c.isalpha())[:prefix_len]
        ref = f"{letters}{i + 1:03d}"
        town, postcode = rng.choice(TOWNS)
        sparse = i % 7 == 3  # some accounts were set up in a hurry
        result.append({
            "account_ref": ref, "name": name,
            "address_1": None if sparse else f"{rng.randint(1, 199)} {rng.choice(STREETS)}",
            "address_2": None if sparse else town,
            "address_3": None, "address_4": "West Yorkshire" if i % 2 else None,
            "address_5": None if sparse else f"{postcode} {rng.randint(1, 9)}{rng.choice('ABDEFGH')}{rng.choice('JLNPQRSTUWXYZ')}",
            "contact_name": None if sparse else rng.choice(["Sue", "Raj", "Tom", "Ann", "Olu", "Ewan"]) + " " + rng.choice(["Hart", "Patel", "O'Neill", "Wood", "Adeyemi", "Frost"]),
            "telephone": None if sparse else f"0113 {rng.randint(200, 999)} {rng.randint(1000, 9999)}",
            "telephone_2": None, "fax": None,
            "e_mail": None if sparse else f"accounts@{letters.lower()}.example",
            "web_address": None, "analysis_1": rng.choice(["Trade", "Retail", None]),
            "analysis_2": None, "analysis_3": None, "status_text": None,
            "def_tax_code": 1, "def_nom_code": nominal, "vat_reg_number": None if sparse else f"GB {rng.randint(100, 999)} {rng.randint(1000, 9999)} {rng.randint(10, 99)}",
            "code": "GBP", "country_code": "GB", "currency": 1,
            "settlement_disc_rate": 2.5 if i % 5 == 0 else 0, "settlement_due_days": 10 if i % 5 == 0 else 0,
            "payment_due_days": 30, "credit_limit": None if sparse else rng.choice([1000, 2500, 5000, 10000]),
            "account_on_hold": 1 if i % 11 == 10 else 0, "terms": "30 days net",
            "date_account_opened": None if sparse else YEAR_START - datetime.timedelta(days=rng.randint(30, 3000)),
            "balance": 0.0,
        })
    return result


class Books:
    def __init__(self, rng):
        self.rng = rng
        self.splits = []
        self.journal = []
        self.usage = []
        self.tran = 0
        self.split = 0

    def post(self, kind, date, account, inv_ref, details, net, tax, lines, paid=None, bank=None,
             deleted=False):
        self.tran += 1
        self.split += 1
        gross = round(net + tax, 2)
        amount_paid = gross if paid == "Y" else 0.0
        split = {
            "split_number": self.split, "tran_number": self.tran, "type": kind, "date": date,
            "account_ref": account, "inv_ref": inv_ref, "details": details,
            "paid_flag": paid or "N", "paid_status": "P" if paid == "Y" else "O",
            "net_amount": net, "tax_amount": tax, "gross_amount": gross,
            "amount_paid": amount_paid, "payment": amount_paid,
            "outstanding": round(gross - amount_paid, 2),
            "date_entered": datetime.datetime.combine(date, datetime.time(9 + self.tran % 8, (self.tran * 7) % 60, (self.tran * 13) % 60)),
            "deleted_flag": 1 if deleted else 0, "bank_code": bank,
        }
        self.splits.append(split)
        for code, amount in lines:
            self.journal.append((self.tran, code, round(amount, 2)))
        return split

    def allocate(self, split, reference, details, amount):
        self.usage.append((split["split_number"], reference, details, round(amount, 2)))


def make_sql():
    rng = random.Random(20250401)
    customers = accounts(rng, [f"{rng.choice(FIRST)} {k}" for k in KIND for _ in range(1)] +
                         [f"{f} {rng.choice(KIND)}" for f in FIRST[:24]] +
                         ["Mrs J. O'Hara", "Dr A. \"Sandy\" McKay", "Smith, Brown & Co",
                          "The Old Rectory \u00a3 Fund"], 3, "4000")
    suppliers = accounts(rng, SUPPLIERS, 3, "5000")
    books = Books(rng)
    open_invoices = []   # (customer split, customer ref)
    open_bills = []

    day = YEAR_START
    end = YEAR_START.replace(year=YEAR_START.year + 1)
    inv_no = 10000
    while day < end:
        if day.weekday() < 5:
            # Sales invoices, now and then a credit note.
            for _ in range(rng.choice([0, 1, 1, 2])):
                inv_no += 1
                customer = rng.choice(customers)
                net = money(rng, 85, 4800)
                tax = round(net * VAT, 2)
                sales = rng.choice(["4000", "4010", "4020"])
                split = books.post("SI", day, customer["account_ref"], str(inv_no), rng.choice(JOBS),
                                   net, tax, [("1100", net + tax), (sales, -net), ("2200", -tax)])
                open_invoices.append((split, customer))
            if rng.random() < 0.06 and open_invoices:
                invoice, customer = rng.choice(open_invoices)
                net = round(-invoice["net_amount"] * rng.choice([0.1, 0.25, 1.0]), 2)
                tax = round(net * VAT, 2)
                books.post("SC", day, customer["account_ref"], f"CN{invoice['inv_ref']}",
                           f"Credit: {invoice['details']}", net, tax,
                           [("1100", net + tax), ("4000", -net), ("2200", -tax)])
            # Receipts against older invoices; part payments and discounts.
            for invoice, customer in [x for x in open_invoices if (day - x[0]["date"]).days > 28][:3]:
                if rng.random() < 0.7:
                    gross = invoice["gross_amount"]
                    due = invoice["outstanding"]
                    part = rng.random() < 0.15 and due == gross
                    amount = round(due * 0.5, 2) if part else due
                    paid = round(invoice["amount_paid"] + amount, 2)
                    invoice["paid_flag"] = "N" if part else "Y"
                    invoice["paid_status"] = "P" if not part else "O"
                    invoice["amount_paid"] = invoice["payment"] = paid
                    invoice["outstanding"] = round(gross - paid, 2)
                    receipt = books.post("SR", day, customer["account_ref"], "BACS",
                                         f"Receipt SI {invoice['inv_ref']}, thank you", -amount, 0.0,
                                         [("1200", amount), ("1100", -amount)], paid="Y", bank="1200")
                    books.allocate(receipt, invoice["inv_ref"], f"SI {invoice['inv_ref']}", amount)
                    if rng.random() < 0.05:
                        books.allocate(receipt, invoice["inv_ref"], f"SI {invoice['inv_ref']} discount", 0.0)
                    if not part:
                        open_invoices.remove((invoice, customer))
            if rng.random() < 0.03:
                customer = rng.choice(customers)
                amount = money(rng, 100, 900)
                on_account = books.post("SA", day, customer["account_ref"], "CHQ", "Payment on account",
                                        -amount, 0.0, [("1200", amount), ("1100", -amount)],
                                        paid=rng.choice(["Y", "N", "n"]), bank="1200")
                books.allocate(on_account, "", "Cheque on account", amount)
            # Purchase invoices and payments.
            if rng.random() < 0.45:
                supplier = rng.choice(suppliers)
                net = money(rng, 12, 2600)
                tax = round(net * VAT, 2) if supplier["account_ref"][:3] != "LEE" else 0.0
                cost = rng.choice(["5000", "5001", "5100", "6000", "7200", "7300", "7500", "7502"])
                bill = books.post("PI", day, supplier["account_ref"], f"{supplier['account_ref'][:2]}/{rng.randint(1000, 99999)}",
                                  rng.choice(["Oak boards 25mm", "Hinges, locks, screws", "Delivery",
                                              "Labour 3 days", "Electricity Q2", "Diesel", "Paper, toner",
                                              "Phone & broadband"]),
                                  net, tax, [(cost, net), ("2201", tax), ("2100", -(net + tax))])
                open_bills.append((bill, supplier))
            for bill, supplier in [x for x in open_bills if (day - x[0]["date"]).days > 30][:2]:
                amount = bill["gross_amount"]
                bill["paid_flag"] = "Y"
                bill["paid_status"] = "P"
                bill["amount_paid"] = bill["payment"] = amount
                bill["outstanding"] = 0.0
                payment = books.post("PP", day, supplier["account_ref"], "BACS",
                                     f"Payment PI {bill['inv_ref']}", amount, 0.0,
                                     [("2100", amount), ("1200", -amount)], paid="Y", bank="1200")
                books.allocate(payment, bill["inv_ref"], f"PI {bill['inv_ref']}", amount)
                open_bills.remove((bill, supplier))
            if rng.random() < 0.02 and open_bills:
                bill, supplier = rng.choice(open_bills)
                net = round(-bill["net_amount"] * 0.5, 2)
                books.post("PC", day, supplier["account_ref"], f"CR{bill['inv_ref']}", "Returned goods",
                           net, round(net * VAT, 2), [("5000", net), ("2201", round(net * VAT, 2)),
                                                        ("2100", -round(net * (1 + VAT), 2))])
            if rng.random() < 0.02:
                supplier = rng.choice(suppliers)
                amount = money(rng, 50, 400)
                advance = books.post("PA", day, supplier["account_ref"], "DD", "Payment on account",
                                     amount, 0.0, [("2100", amount), ("1200", -amount)],
                                     paid=rng.choice(["Y", "N"]), bank="1200")
                books.allocate(advance, "", "Direct debit", amount)
        # Month end: wages, rent, bank charges, a journal.
        if day.day == 28:
            wages = money(rng, 6200, 7400)
            books.post("BP", day, "1200", "WAGES", f"Wages {day:%B %Y}", wages, 0.0,
                       [("7000", wages), ("1200", -wages)], bank="1200")
            books.post("BP", day, "1200", "SO", "Rent, unit 4 \"The Maltings\"", 1250.0, 250.0,
                       [("7100", 1250.0), ("2201", 250.0), ("1200", -1500.0)], bank="1200")
            books.post("BR", day, "1210", "INT", "Interest received", 3.17, 0.0,
                       [("1210", 3.17), ("4900", -3.17)], bank="1210")
            depreciation = 412.5
            books.post("JD", day, "8000", "DEP", "Depreciation", depreciation, 0.0,
                       [("8000", depreciation)])
            books.post("JC", day, "0021", "DEP", "Depreciation", -depreciation, 0.0,
                       [("0021", -depreciation)])
        day += datetime.timedelta(days=1)

    # A mistake made and deleted, as real books have.
    mistake = books.post("SI", YEAR_START + datetime.timedelta(days=40), customers[0]["account_ref"],
                         "99999", "Posted to the wrong customer", 100.0, 20.0,
                         [("1100", 120.0), ("4000", -100.0), ("2200", -20.0)], deleted=True)
    assert mistake["deleted_flag"] == 1

    # Balances from the postings.
    balances = {}
    for split in books.splits:
        if split["deleted_flag"]:
            continue
        ledger = split["type"][0]
        if ledger in "SP":
            sign = 1 if ledger == "S" else -1
            balances[split["account_ref"]] = balances.get(split["account_ref"], 0.0) + sign * split["outstanding"]
    for account in customers + suppliers:
        account["balance"] = round(balances.get(account["account_ref"], 0.0), 2)
    nominal_balances = {}
    deleted = {s["tran_number"] for s in books.splits if s["deleted_flag"]}
    for tran, code, amount in books.journal:
        if tran not in deleted:
            nominal_balances[code] = nominal_balances.get(code, 0.0) + amount

    out = ["-- The demo company: made by demo/make-demo.py; do not edit by hand.",
           "INSERT INTO currency (number, code, name) VALUES (1, 'GBP', 'Pound Sterling'), "
           "(2, 'EUR', 'Euro'), (3, 'USD', 'US Dollar');"]
    ledger_columns = list(customers[0].keys())
    out.append(rows("sales_ledger", ledger_columns, [list(c.values()) for c in customers]))
    out.append(rows("purchase_ledger", ledger_columns, [list(s.values()) for s in suppliers]))
    out.append(rows("nominal_ledger", ["account_ref", "name", "account_type", "balance"],
                    [(ref, name, kind, round(nominal_balances.get(ref, 0.0), 2)) for ref, name, kind in NOMINAL]))
    split_columns = list(books.splits[0].keys())
    for start in range(0, len(books.splits), 500):
        out.append(rows("audit_split", split_columns, [list(s.values()) for s in books.splits[start:start + 500]]))
    for start in range(0, len(books.journal), 1000):
        out.append(rows("audit_journal", ["tran_number", "nominal_code", "amount"], books.journal[start:start + 1000]))
    out.append(rows("audit_usage", ["split_number", "reference", "details", "amount"], books.usage))
    out.append("INSERT INTO chart_list (chart, name) VALUES (1, 'Standard');")
    out.append(rows("cat_title", ["title", "category", "chart"], [(t, c, 1) for t, c, _, _, _ in CATEGORIES]))
    out.append(rows("category", ["category", "flag_asset_liability", "name", "low", "high"],
                    [(c, f, t, lo, hi) for t, c, f, lo, hi in CATEGORIES]))
    return "\n\n".join(out) + "\n"


def make_home(home):
    home = os.path.abspath(home)
    os.makedirs(home, exist_ok=True)
    lines = []
    for directory, name in COMPANIES:
        company = os.path.join(home, "Company Data", directory)
        os.makedirs(os.path.join(company, "ACCDATA"), exist_ok=True)
        with open(os.path.join(company, "ACCDATA", "SETUP.DTA"), "wb") as f:
            # Three bytes of header, then the name in 60 bytes, then the rest.
            f.write(b"\x07\x00\x01" + name.encode("cp1252").ljust(60, b" ") + bytes(189))
        lines.append(company)
    with open(os.path.join(home, "COMPANY"), "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "sql":
        sys.stdout.write(make_sql())
    elif len(sys.argv) == 3 and sys.argv[1] == "home":
        make_home(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
