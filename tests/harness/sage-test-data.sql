-- A small company for the tests: one of each awkward value.
INSERT INTO currency VALUES (1, 'GBP', 'Pound Sterling'), (2, 'EUR', 'Euro');

INSERT INTO sales_ledger (account_ref, name, address_1, contact_name, e_mail, def_tax_code,
    def_nom_code, code, country_code, currency, settlement_disc_rate, settlement_due_days,
    payment_due_days, credit_limit, account_on_hold, terms, date_account_opened, balance)
VALUES
    ('ABB001', 'Abbey "Road" Stores, Ltd', '1 High Street', 'Ann Abbey', 'ann@abbey.example',
     1, '4000', 'GBP', 'GB', 1, 2.5, 10, 30, 5000, 0, '30 days', '2015-04-01', 1234.5),
    ('BRO002', 'Brown & Sons £', NULL, NULL, NULL, NULL, NULL, 'GBP', 'GB', 1, NULL, NULL, NULL,
     NULL, 1, NULL, NULL, -250.75),
    ('ZED003', 'Zed GmbH  ', 'Hauptstraße 5', NULL, NULL, 1, '4000', 'EUR', 'DE', 2, 0, 0, 60,
     0, 0, NULL, '2016-01-31', 0);

INSERT INTO chart_list VALUES (1, 'Standard');

INSERT INTO currency VALUES (3, 'USD', 'US Dollar');

-- Suppliers: quotes and an ampersand, NULLs everywhere, another currency, and
-- one whose currency number is missing from the currency table (the ledger
-- query's join leaves it out).
INSERT INTO purchase_ledger (account_ref, name, address_1, address_2, address_3, address_4,
    address_5, contact_name, telephone, telephone_2, fax, e_mail, web_address, analysis_1,
    analysis_2, analysis_3, status_text, def_tax_code, def_nom_code, vat_reg_number, code,
    country_code, currency, settlement_disc_rate, settlement_due_days, payment_due_days,
    credit_limit, account_on_hold, terms, date_account_opened, balance)
VALUES
    ('SUP001', 'Paper & Ink "Supplies"', '12 Mill Lane', 'Hunslet', 'Leeds', 'West Yorkshire',
     'LS10 1AA', 'Pat Ink', '0113 496 0000', '0113 496 0001', '0113 496 0002',
     'orders@paperink.example', 'www.paperink.example', 'Stationery', 'North', 'Monthly',
     'Active', 1, '5000', 'GB123456789', 'GBP', 'GB', 1, 1.25, 14, 30, 2000, 0,
     'Net 30, no deliveries Sunday', '2014-09-15', -1500.25),
    ('SUP002', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 2, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
     NULL),
    ('SUP003', 'Orphan Imports', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL, NULL, 1, '5000', NULL, 'XXX', 'FR', 9, 0, 0, 30, 0, 0, NULL,
     '2016-02-01', 99),
    ('SUP004', 'Dollar Parts Inc', '1 Main St', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, NULL, NULL, NULL, NULL, 0, '5001', NULL, 'USD', 'US', 3, 0, 0, 60, 10000.5, 1,
     NULL, '2015-12-31', 0.01);

-- The nominal ledger: references compared as text (10000 lies between 1000
-- and 1999, 2 after them), range bounds, and accounts in no range.
INSERT INTO nominal_ledger VALUES
    ('0010', 'Freehold Property', 0, 150000),
    ('0030', 'Office Equipment', 0, 4250.5),
    ('0049', 'Motor Vehicles', 0, 12000),
    ('0050', 'Goodwill', 0, NULL),
    ('10000', 'Suspense, "temporary"', 1, -0.01),
    ('1100', 'Debtors Control Account', 1, 1103.75),
    ('1200', 'Bank Current Account', 1, 25000),
    ('2', 'Odd Reference', NULL, 2),
    ('2200', 'Sales Tax Control Account', 2, -350),
    ('4000', 'Sales Type A', 3, -98000.99),
    ('5000', 'Materials Purchased', 4, 40000),
    ('9999', NULL, NULL, NULL);

-- Two charts whose ranges overlap each other; the category numbers are
-- shared, each chart titles its own.
INSERT INTO chart_list VALUES (2, 'Charity');
INSERT INTO category VALUES
    (1, 1, 'Fixed Assets', '0010', '0049'),
    (2, 1, 'Current Assets', '1000', '1999'),
    (3, 0, 'Sales', '4000', '4999'),
    (4, NULL, 'Purchases', '5000', '5299'),
    (11, 1, 'Tangible Assets', '0001', '0099'),
    (12, 2, 'Cash at Bank', '1200', '1299'),
    (13, 0, 'Incoming Resources', '4000', '9999');
INSERT INTO cat_title VALUES
    ('Fixed Assets', 1, 1),
    ('Current Assets', 2, 1),
    ('Sales', 3, 1),
    ('Purchases', 4, 1),
    ('Tangible "Fixed" Assets', 11, 2),
    ('Cash at Bank', 12, 2),
    ('Incoming Resources', 13, 2);

-- Transactions: one split each, by type; deleted splits; paid flags Y, N
-- and n; a sale with three journal lines; details with a double quote and
-- with a comma.
INSERT INTO audit_split (split_number, tran_number, type, date, account_ref, inv_ref, details,
    paid_flag, paid_status, net_amount, tax_amount, gross_amount, amount_paid, payment,
    outstanding, date_entered, deleted_flag, bank_code)
VALUES
    (1, 1, 'SI', '2016-01-05', 'ABB001', '1001', '12" oak shelf', 'Y', 'P', 100, 20, 120, 120,
     0, 0, '2016-01-05 10:15:00', 0, '1200'),
    (2, 2, 'SC', '2016-01-10', 'BRO002', '1002', 'Credit, damaged goods', 'N', 'U', -10, -2,
     -12, 0, 0, -12, '2016-01-10 00:00:00', 0, '1200'),
    (3, 3, 'SA', '2016-01-12', 'ABB001', NULL, 'Payment on account', 'Y', 'P', 50, 0, 50, 50,
     0, 0, '2016-01-12 09:00:00', 0, '1200'),
    (4, 4, 'SA', '2016-01-13', 'BRO002', NULL, 'Payment on account', 'N', 'U', 75, 0, 75, 0, 0,
     75, '2016-01-13 09:00:00', 0, '1200'),
    (5, 5, 'SA', '2016-01-14', 'ZED003', NULL, 'Payment on account', 'n', 'U', 20, 0, 20, 0, 0,
     20, '2016-01-14 09:00:00', 0, '1200'),
    (6, 6, 'SR', '2016-01-20', 'ABB001', NULL, 'Receipt', 'Y', 'P', 150.5, 0, 150.5, 150.5, 0,
     0, '2016-01-20 16:45:30', 0, '1200'),
    (7, 7, 'SI', '2016-01-21', 'ABB001', '1003', 'Deleted invoice', 'N', 'U', 10, 2, 12, 0, 0,
     12, '2016-01-21 11:00:00', 1, '1200'),
    (8, 8, 'SP', '2016-01-22', 'BRO002', NULL, 'Refund', 'Y', 'P', 5, 0, 5, 5, 0, 0,
     '2016-01-22 12:00:00', 0, '1200'),
    (9, 9, 'PI', '2016-02-01', 'SUP001', 'P-77', 'Paper, A4', 'Y', 'P', 200, 40, 240, 240, 0,
     0, '2016-02-01 08:30:00', 0, '1200'),
    (10, 10, 'PC', '2016-02-02', 'SUP001', 'P-78', 'Returned toner', 'N', 'U', -20, -4, -24, 0,
     0, -24, '2016-02-02 08:30:00', 0, '1200'),
    (11, 11, 'PA', '2016-02-03', 'SUP004', NULL, 'Payment on account', 'N', 'U', 30, 0, 30, 0,
     0, 30, '2016-02-03 08:30:00', 0, NULL),
    (12, 12, 'PA', '2016-02-04', 'SUP001', NULL, 'Payment on account', 'Y', 'P', 40, 0, 40, 40,
     0, 0, '2016-02-04 08:30:00', 0, '1200'),
    (13, 13, 'PR', '2016-02-05', 'SUP002', NULL, 'Supplier refund', 'N', 'U', 7.5, 0, 7.5, 0,
     0, 7.5, '2016-02-05 08:30:00', 0, '1200'),
    (14, 14, 'PP', '2016-02-06', 'SUP001', NULL, 'Payment', 'Y', 'P', 300, 0, 300, 300, 0, 0,
     '2016-02-06 08:30:00', 0, '1210'),
    (15, 15, 'PI', '2016-02-07', 'SUP001', 'P-79', 'Deleted bill', 'N', 'U', 1, 0, 1, 0, 0, 1,
     '2016-02-07 08:30:00', 1, '1200'),
    (16, 16, 'JD', '2016-03-01', '0030', NULL, 'Depreciation', '-', '-', 100, 0, 100, 0, 0, 0,
     '2016-03-01 00:00:00', 0, NULL),
    (17, 17, 'JC', '2016-03-01', '0050', NULL, 'Depreciation', '-', '-', 100, 0, 100, 0, 0, 0,
     '2016-03-01 00:00:00', 0, NULL),
    (18, 18, 'BR', '2016-03-02', '1200', NULL, 'Bank interest', '-', '-', 1.23, 0, 1.23, 0, 0,
     0, '2016-03-02 23:59:59', 0, '1200'),
    (19, 19, 'BP', '2016-03-03', '1200', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, 0, '1200'),
    (20, 20, 'JD', '2016-03-04', '0030', NULL, 'Deleted journal', '-', '-', 9, 0, 9, 0, 0, 0,
     '2016-03-04 00:00:00', 1, NULL),
    (21, 21, 'SR', '2016-03-05', 'ABB001', NULL, 'Deleted receipt', 'Y', 'P', 30, 0, 30, 30, 0,
     0, '2016-03-05 00:00:00', 1, '1200');

INSERT INTO audit_journal VALUES
    (1, '1100', 120), (1, '4000', -100), (1, '2200', -20),
    (2, '1100', -12),
    (3, '1100', -50), (4, '1100', -75), (5, '1100', -20),
    (6, '1200', 150.5),
    (7, '1100', 12),
    (8, '1200', -5),
    (9, '5000', 240), (10, '5000', -24), (11, '2100', 30), (12, '2100', 40), (13, '2100', -7.5),
    (14, '1210', -300), (15, '5000', 1),
    (16, '0030', -100), (17, '0050', 100), (18, '1200', 1.23), (19, '1200', NULL),
    (20, '0030', -9), (21, '1200', 30);

-- Allocations: a receipt and a payment allocated to several invoices, zero
-- and NULL amounts (left out), details with and without an invoice code,
-- allocations of deleted splits and of invoices (in neither table).
INSERT INTO audit_usage VALUES
    (6, 'R1', 'SI 1001', 120),
    (6, 'R2', 'Payment for SI 1002 via BACS', 30.5),
    (6, 'R3', 'SI 1003', 0),
    (3, 'R4', 'Cheque 100', 50),
    (4, 'R5', ' SI "1004", part ', 75),
    (5, 'R6', NULL, NULL),
    (14, 'P1', 'PI 2001', 100),
    (14, 'P2', 'PR 12 PI 34', 25.25),
    (14, 'P3', 'PIPI 9', 174.75),
    (11, 'P4', 'SP 77 refund', -15.5),
    (12, 'P5', 'PI 2002', 0),
    (9, 'P6', 'PI 2003', 240),
    (15, 'P7', 'PI 2004', 1),
    (21, 'R7', 'SI 1005', 30);

-- Memo columns of unbounded text beside the usual ones, as some companies'
-- tables have them. The exports never write them, but reading them must not
-- disturb their neighbours: values of every awkward length (around the 4,096
-- and 8,192 character marks), empty, NULL and non-ASCII.
ALTER TABLE sales_ledger ADD COLUMN memo text, ADD COLUMN notes varchar;
ALTER TABLE purchase_ledger ADD COLUMN memo text, ADD COLUMN notes varchar;
ALTER TABLE nominal_ledger ADD COLUMN memo text;
ALTER TABLE audit_split ADD COLUMN memo text;

UPDATE sales_ledger SET memo = repeat('ab€ç', 25000), notes = repeat('n', 4095)
    WHERE account_ref = 'ABB001';
UPDATE sales_ledger SET memo = 'Überweisung – „Ωmega“, £5', notes = NULL
    WHERE account_ref = 'BRO002';
UPDATE sales_ledger SET memo = '', notes = repeat('z', 8191) WHERE account_ref = 'ZED003';
UPDATE purchase_ledger SET memo = '', notes = repeat('Ø', 100000) WHERE account_ref = 'SUP001';
UPDATE purchase_ledger SET memo = 'x', notes = repeat('q', 8191) WHERE account_ref = 'SUP002';
UPDATE purchase_ledger SET memo = repeat('m', 4096), notes = repeat('k', 4095)
    WHERE account_ref = 'SUP003';
UPDATE purchase_ledger SET memo = NULL, notes = 'Straße "quoted", line' || chr(13) || chr(10) || 'two'
    WHERE account_ref = 'SUP004';
UPDATE nominal_ledger SET memo = CASE account_ref
    WHEN '0010' THEN repeat('p', 100000)
    WHEN '0030' THEN repeat('o', 4096)
    WHEN '1100' THEN ''
    WHEN '1200' THEN 'Bank – €'
    WHEN '4000' THEN repeat('s', 8191)
    ELSE NULL END;
UPDATE audit_split SET memo = CASE split_number % 4
    WHEN 0 THEN repeat('t', 4095)
    WHEN 1 THEN NULL
    WHEN 2 THEN 'Überfällig'
    ELSE repeat('u', 100000) END;
