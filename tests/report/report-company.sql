-- The migration report's company: small books in which each finding of the
-- report is made once (twice where a finding has two sides), every aged
-- band of debtors and creditors holds a value, and everything else agrees.
-- Dates count back from the day the fixture is loaded (CURRENT_DATE - n),
-- which is the export's date: the ages below are days at the export.
-- report-company.expect.json says what the report must find here.

-- Values with a fifth decimal place, which the tables write to four.
ALTER TABLE sales_ledger ALTER COLUMN credit_limit TYPE numeric(14, 5);
ALTER TABLE audit_journal ALTER COLUMN amount TYPE numeric(14, 5);

INSERT INTO currency VALUES (1, 'GBP', 'Pound Sterling');

-- One chart; its ranges leave 9000-9999 (and 2300-2999) without a category.
INSERT INTO chart_list VALUES (1, 'Standard');
INSERT INTO category VALUES
    (1, 0, 'Sales', '4000', '4999'),
    (2, 0, 'Purchases', '5000', '5999'),
    (3, 0, 'Overheads', '7000', '8999'),
    (4, 1, 'Fixed Assets', '0010', '0999'),
    (5, 1, 'Current Assets', '1000', '1999'),
    (6, 2, 'Current Liabilities', '2000', '2299'),
    (7, 2, 'Capital & Reserves', '3000', '3999');
INSERT INTO cat_title VALUES
    ('Sales', 1, 1), ('Purchases', 2, 1), ('Overheads', 3, 1), ('Fixed Assets', 4, 1),
    ('Current Assets', 5, 1), ('Current Liabilities', 6, 1), ('Capital & Reserves', 7, 1);

-- The nominal ledger. Every account has a balance, so none is never-used.
-- The balances add up to 25.00:                       trial-balance
INSERT INTO nominal_ledger VALUES
    ('0030', 'Office Equipment', 0, 4800),
    -- The customers' balances add up to 4590.00:      debtors-control
    ('1100', 'Debtors Control Account', 0, 4690),
    ('1200', 'Bank Current Account', 1, 8250.5),
    ('1210', 'Bank Deposit Account', 1, 2000),
    -- The suppliers' balances add up to 1785.00:      creditors-control
    ('2100', 'Creditors Control Account', 0, -1735),
    ('2200', 'Sales Tax Control Account', 0, -1200),
    ('3000', 'Capital', 0, -10000),
    ('4000', 'Sales', 0, -15000),
    ('5000', 'Materials Purchased', 0, 6200),
    ('7100', 'Rent', 0, 2000),
    -- In no range of the chart:                       no-category
    ('9990', 'Clearing Account', 0, 19.5);

-- Customers. BALANCE is the signed OUTSTANDING of the account's
-- transactions except where a finding says otherwise.
INSERT INTO sales_ledger (account_ref, name, address_1, def_nom_code, code, country_code,
    currency, payment_due_days, credit_limit, account_on_hold, date_account_opened, balance)
VALUES
    -- Its credit limit has a fifth decimal:           rounded-decimals
    ('C001', 'Ashby Builders', '4 Quarry Road', '4000', 'GBP', 'GB', 1, 30, 20000.00005, 0,
     '2019-03-01', 1690),
    -- On hold:                                        on-hold
    ('C002', 'Bracken Homes', '17 Fell Lane', '4000', 'GBP', 'GB', 1, 30, 0, 1,
     '2019-05-12', 500),
    -- 1500.00 owed against a limit of 1000.00:        over-credit-limit
    ('C003', 'Cobble Lane Ltd', '2 Cobble Lane', '4000', 'GBP', 'GB', 1, 30, 1000, 0,
     '2020-01-20', 1500),
    -- No transaction, nothing owed:                   never-used
    ('C004', 'Dunmore & Co', NULL, '4000', 'GBP', 'GB', 1, 30, 0, 0, '2021-07-07', 0),
    -- A name Windows-1252 cannot write:               replaced-characters
    -- 900.00 against 750.00 outstanding:              balance-outstanding
    ('C005', 'Łódź Joinery', 'ul. Piotrkowska 9', '4000', 'GBP', 'PL', 1, 30, 0, 0,
     '2022-02-02', 900);

-- Suppliers.
INSERT INTO purchase_ledger (account_ref, name, address_1, def_nom_code, code, country_code,
    currency, payment_due_days, credit_limit, account_on_hold, date_account_opened, balance)
VALUES
    ('S001', 'Greenwood Timber', 'Sawmill Yard', '5000', 'GBP', 'GB', 1, 30, 5000, 0,
     '2018-10-10', 1430),
    -- 275.00 against 250.00 outstanding:              balance-outstanding
    ('S002', 'Harbour Fixings', '1 Dock Street', '5000', 'GBP', 'GB', 1, 30, 0, 0,
     '2019-11-11', 275),
    -- A name Windows-1252 cannot write:               replaced-characters
    ('S003', '深圳 Tools Co', 'Bao''an District', '5000', 'GBP', 'CN', 1, 60, 0, 0,
     '2023-04-04', 80);

-- Transactions, one split each (split_number = tran_number), in the order
-- of their numbers; bands are those of the aged debtors and creditors.
INSERT INTO audit_split (split_number, tran_number, type, date, account_ref, inv_ref, details,
    paid_flag, paid_status, net_amount, tax_amount, gross_amount, amount_paid, payment,
    outstanding, date_entered, bank_code)
VALUES
    -- Sales: C001 in every band, each at a band's edge.
    (1, 1, 'SI', CURRENT_DATE - 30, 'C001', 'S-1001', 'Oak door', 'N', 'O',
     100, 20, 120, 0, 0, 120, CURRENT_DATE - 30, NULL),                    -- Current
    (2, 2, 'SI', CURRENT_DATE - 31, 'C001', 'S-1002', 'Sash windows', 'N', 'O',
     200, 40, 240, 0, 0, 240, CURRENT_DATE - 31, NULL),                    -- 31-60
    (3, 3, 'SI', CURRENT_DATE - 61, 'C001', 'S-1003', 'Staircase', 'N', 'O',
     300, 60, 360, 0, 0, 360, CURRENT_DATE - 61, NULL),                    -- 61-90
    (4, 4, 'SI', CURRENT_DATE - 120, 'C001', 'S-1004', 'Kitchen, phase 1', 'N', 'O',
     400, 80, 480, 0, 0, 480, CURRENT_DATE - 120, NULL),                   -- 91-120
    (5, 5, 'SI', CURRENT_DATE - 121, 'C001', 'S-1005', 'Kitchen, phase 2', 'N', 'O',
     500, 100, 600, 0, 0, 600, CURRENT_DATE - 121, NULL),                  -- Older
    -- A credit note and an unpaid payment on account take from Current.
    (6, 6, 'SC', CURRENT_DATE - 10, 'C001', 'CN-1001', 'Credit: oak door', 'N', 'O',
     50, 10, 60, 0, 0, 60, CURRENT_DATE - 10, NULL),
    (7, 7, 'SA', CURRENT_DATE - 20, 'C001', NULL, 'Payment on account', 'N', 'O',
     50, 0, 50, 0, 0, 50, CURRENT_DATE - 20, '1200'),
    -- Dated after the export:                         future-date (Current)
    (8, 8, 'SI', DATE '2099-06-30', 'C002', 'S-2001', 'Porch', 'N', 'O',
     250, 50, 300, 0, 0, 300, CURRENT_DATE - 1, NULL),
    -- No date:                                        no-date (Older)
    (9, 9, 'SI', NULL, 'C002', 'S-2002', 'Repairs', 'N', 'O',
     200, 0, 200, 0, 0, 200, NULL, NULL),
    -- INV-3001 twice for C003, the first paid:        duplicate-reference
    (10, 10, 'SI', CURRENT_DATE - 40, 'C003', 'INV-3001', 'Windows', 'Y', 'P',
     333.33, 66.67, 400, 400, 0, 0, CURRENT_DATE - 40, NULL),
    (11, 11, 'SI', CURRENT_DATE - 15, 'C003', 'INV-3001', 'Windows, again', 'N', 'O',
     1250, 250, 1500, 0, 0, 1500, CURRENT_DATE - 15, NULL),
    (12, 12, 'SI', CURRENT_DATE - 50, 'C005', 'S-5001', 'Doors', 'N', 'O',
     625, 125, 750, 0, 0, 750, CURRENT_DATE - 50, NULL),
    -- A customer the sales ledger does not hold:      unknown-account
    (13, 13, 'SI', CURRENT_DATE - 12, 'X999', 'S-9001', 'Cash sale', 'Y', 'P',
     62.71, 12.54, 75.25, 75.25, 0, 0, CURRENT_DATE - 12, NULL),
    -- Receipts (Receipts.csv only).
    (14, 14, 'SR', CURRENT_DATE - 35, 'C003', NULL, 'Receipt', 'Y', 'P',
     400, 0, 400, 400, 0, 0, CURRENT_DATE - 35, '1200'),
    (15, 15, 'SR', CURRENT_DATE - 11, 'X999', NULL, 'Receipt', 'Y', 'P',
     75.25, 0, 75.25, 75.25, 0, 0, CURRENT_DATE - 11, '1210'),
    -- Purchases: S001 in every band, at the edges from the other side.
    (20, 20, 'PI', CURRENT_DATE, 'S001', 'P-1001', 'Oak boards', 'N', 'O',
     100, 0, 100, 0, 0, 100, CURRENT_DATE, NULL),                          -- Current
    (21, 21, 'PI', CURRENT_DATE - 60, 'S001', 'P-1002', 'Pine', 'N', 'O',
     200, 0, 200, 0, 0, 200, CURRENT_DATE - 60, NULL),                     -- 31-60
    (22, 22, 'PI', CURRENT_DATE - 90, 'S001', 'P-1003', 'Ash', 'N', 'O',
     300, 0, 300, 0, 0, 300, CURRENT_DATE - 90, NULL),                     -- 61-90
    (23, 23, 'PI', CURRENT_DATE - 91, 'S001', 'P-1004', 'Beech', 'N', 'O',
     400, 0, 400, 0, 0, 400, CURRENT_DATE - 91, NULL),                     -- 91-120
    (24, 24, 'PI', CURRENT_DATE - 365, 'S001', 'P-1005', 'Walnut', 'N', 'O',
     500, 0, 500, 0, 0, 500, CURRENT_DATE - 365, NULL),                    -- Older
    (25, 25, 'PC', CURRENT_DATE - 8, 'S001', 'PC-1001', 'Returned boards', 'N', 'O',
     40, 0, 40, 0, 0, 40, CURRENT_DATE - 8, NULL),
    (26, 26, 'PA', CURRENT_DATE - 25, 'S001', NULL, 'Payment on account', 'N', 'O',
     30, 0, 30, 0, 0, 30, CURRENT_DATE - 25, '1200'),
    (27, 27, 'PI', CURRENT_DATE - 70, 'S001', 'P-1006', 'Cherry', 'Y', 'P',
     90, 0, 90, 90, 0, 0, CURRENT_DATE - 70, NULL),
    -- Paid from a bank code no nominal account has:   unknown-bank
    (28, 28, 'PP', CURRENT_DATE - 60, 'S001', NULL, 'Payment', 'Y', 'P',
     90, 0, 90, 90, 0, 0, CURRENT_DATE - 60, '1250'),
    (29, 29, 'PI', CURRENT_DATE - 35, 'S001', 'P-1007', 'Maple', 'Y', 'P',
     150, 0, 150, 150, 0, 0, CURRENT_DATE - 35, NULL),
    (30, 30, 'PP', CURRENT_DATE - 30, 'S001', NULL, 'Payment', 'Y', 'P',
     150, 0, 150, 150, 0, 0, CURRENT_DATE - 30, '1200'),
    (31, 31, 'PI', CURRENT_DATE - 20, 'S002', 'H-0501', 'Hinges', 'N', 'O',
     250, 0, 250, 0, 0, 250, CURRENT_DATE - 20, NULL),
    -- Posted to a nominal code that is no account (its one journal line):
    --                                                 unknown-nominal
    (32, 32, 'PI', CURRENT_DATE - 40, 'S003', 'SZ-88', 'Chisels', 'N', 'O',
     80, 0, 80, 0, 0, 80, CURRENT_DATE - 40, NULL),
    -- The nominal ledger's own.
    (40, 40, 'JD', CURRENT_DATE - 100, '7100', NULL, 'Rent accrual', '-', '-',
     500, 0, 500, 0, 0, 0, CURRENT_DATE - 100, NULL),
    (41, 41, 'JC', CURRENT_DATE - 100, '1200', NULL, 'Rent accrual', '-', '-',
     500, 0, 500, 0, 0, 0, CURRENT_DATE - 100, NULL),
    (42, 42, 'BP', CURRENT_DATE - 50, '1200', NULL, 'Workshop rent', '-', '-',
     250, 0, 250, 0, 0, 0, CURRENT_DATE - 50, '1200'),
    (43, 43, 'BR', CURRENT_DATE - 10, '1210', NULL, 'Interest', '-', '-',
     12.34, 0, 12.34, 0, 0, 0, CURRENT_DATE - 10, '1210');

INSERT INTO audit_journal VALUES
    -- The tax line has a fifth decimal:               rounded-decimals
    (1, '1100', 120), (1, '4000', -100), (1, '2200', -20.00004),
    (2, '1100', 240), (2, '4000', -200), (2, '2200', -40),
    (3, '1100', 360), (3, '4000', -300), (3, '2200', -60),
    (4, '1100', 480), (4, '4000', -400), (4, '2200', -80),
    (5, '1100', 600), (5, '4000', -500), (5, '2200', -100),
    (6, '1100', -60), (6, '4000', 50), (6, '2200', 10),
    (7, '1100', -50),
    (8, '1100', 300), (8, '4000', -250), (8, '2200', -50),
    (9, '1100', 200), (9, '4000', -200),
    (10, '1100', 400), (10, '4000', -333.33), (10, '2200', -66.67),
    (11, '1100', 1500), (11, '4000', -1250), (11, '2200', -250),
    (12, '1100', 750), (12, '4000', -625), (12, '2200', -125),
    (13, '1100', 75.25), (13, '4000', -62.71), (13, '2200', -12.54),
    (14, '1200', 400), (14, '1100', -400),
    (15, '1210', 75.25), (15, '1100', -75.25),
    (20, '5000', 100), (20, '2100', -100),
    (21, '5000', 200), (21, '2100', -200),
    (22, '5000', 300), (22, '2100', -300),
    (23, '5000', 400), (23, '2100', -400),
    (24, '5000', 500), (24, '2100', -500),
    (25, '2100', 40), (25, '5000', -40),
    (26, '2100', 30),
    (27, '5000', 90), (27, '2100', -90),
    (28, '2100', 90), (28, '1200', -90),
    (29, '5000', 150), (29, '2100', -150),
    (30, '2100', 150), (30, '1200', -150),
    (31, '5000', 250), (31, '2100', -250),
    (32, '6500', 80),
    (40, '7100', 500),
    (41, '1200', -500),
    (42, '7100', 250), (42, '1200', -250),
    (43, '1210', 12.34), (43, '4000', -12.34);

-- Allocations: the two receipts and the two payments.
INSERT INTO audit_usage VALUES
    (14, 'R1', 'SI INV-3001', 400),
    (15, 'R2', 'SI S-9001', 75.25),
    (28, 'P1', 'PI P-1006', 90),
    (30, 'P2', 'PI P-1007', 150);
