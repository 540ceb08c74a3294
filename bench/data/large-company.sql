-- A large company for the export benchmark, made from generate_series so the
-- same rows come every time: 5,000 accounts in each ledger, 1,000 nominal
-- accounts, 200,000 splits of one transaction each with three journal lines
-- (600,000 transaction lines in all), and 50,000 allocations.
-- The psql variable "divisor" makes a smaller company of the same shape
-- (2: half the accounts, splits and allocations).
\if :{?divisor}
\else
\set divisor 1
\endif

INSERT INTO sales_ledger (account_ref, name, address_1, address_2, contact_name, telephone,
    e_mail, def_tax_code, def_nom_code, code, country_code, currency, settlement_disc_rate,
    settlement_due_days, payment_due_days, credit_limit, account_on_hold, terms,
    date_account_opened, balance)
SELECT 'C' || lpad(n::text, 6, '0'), 'Customer "' || n || '", Ltd', n || ' High Street',
       'Town ' || n % 97, 'Contact ' || n, '0113 496 ' || lpad((n % 10000)::text, 4, '0'),
       'c' || n || '@example.com', 1, '4000', 'GBP', 'GB', 1, 2.5, 10, 30, 5000, n % 2,
       '30 days', DATE '2010-01-01' + n % 3000, (n * 37 % 100000) / 100.0
FROM generate_series(1, 5000 / :divisor) AS n;

INSERT INTO purchase_ledger (account_ref, name, address_1, address_2, contact_name, telephone,
    e_mail, def_tax_code, def_nom_code, code, country_code, currency, settlement_disc_rate,
    settlement_due_days, payment_due_days, credit_limit, account_on_hold, terms,
    date_account_opened, balance)
SELECT 'S' || lpad(n::text, 6, '0'), 'Supplier ' || n || ' & Sons', n || ' Mill Lane',
       'Town ' || n % 89, 'Contact ' || n, '0113 496 ' || lpad((n % 10000)::text, 4, '0'),
       's' || n || '@example.com', 1, '5000', 'GBP', 'GB', 1, 1.25, 14, 30, 2000, 0,
       'Net 30', DATE '2010-01-01' + n % 3000, -(n * 41 % 100000) / 100.0
FROM generate_series(1, 5000 / :divisor) AS n;

INSERT INTO nominal_ledger
SELECT lpad((n * 9)::text, 4, '0'), 'Nominal account ' || n, n % 5, (n * 53 % 1000000) / 100.0
FROM generate_series(1, 1000) AS n;

INSERT INTO category VALUES (1, 1, 'Fixed Assets', '0010', '0999'),
    (2, 1, 'Current Assets', '1000', '1999'), (3, 2, 'Liabilities', '2000', '3999'),
    (4, 0, 'Sales', '4000', '4999'), (5, 0, 'Purchases', '5000', '7999');
INSERT INTO cat_title VALUES ('Fixed Assets', 1, 1), ('Current Assets', 2, 1),
    ('Liabilities', 3, 1), ('Sales', 4, 1), ('Purchases', 5, 1);
INSERT INTO chart_list VALUES (1, 'Standard');
INSERT INTO currency VALUES (1, 'GBP', 'Pound Sterling');

-- Types by split number: sales, purchase and other transactions, and the
-- receipts and payments that the allocations point at.
INSERT INTO audit_split (split_number, tran_number, type, date, account_ref, inv_ref, details,
    paid_flag, paid_status, net_amount, tax_amount, gross_amount, amount_paid, payment,
    outstanding, date_entered, deleted_flag, bank_code)
SELECT n, n,
       (ARRAY['SI', 'SC', 'SA', 'SR', 'PI', 'PC', 'PA', 'PR', 'PP', 'JD', 'JC', 'BR', 'BP',
              'SI', 'PI', 'SI', 'PI', 'JD', 'SI', 'PI'])[n % 20 + 1],
       DATE '2015-01-01' + n % 365,
       CASE WHEN n % 20 < 4 THEN 'C' ELSE 'S' END || lpad((n % 5000 + 1)::text, 6, '0'),
       'INV' || n, 'Invoice ' || n || ', 12" widget', CASE WHEN n % 3 = 0 THEN 'N' ELSE 'Y' END,
       'P', n % 1000 + 0.5, (n % 1000) / 5.0, n % 1000 * 1.2 + 0.5, n % 500, 0, n % 250,
       TIMESTAMP '2015-01-01 09:00:00' + (n % 100000) * INTERVAL '1 minute', 0, '1200'
FROM generate_series(1, 200000 / :divisor) AS n;

INSERT INTO audit_journal
SELECT s.tran_number, (ARRAY['1100', '4000', '2200'])[k], s.net_amount * (2 - k)
FROM audit_split s, generate_series(1, 3) AS k;

-- 50,000 allocations on receipts (SR, SA) and payments (PP, PA), two on
-- each of the first.
INSERT INTO audit_usage
SELECT s.split_number, 'R' || s.split_number,
       CASE WHEN s.type IN ('SR', 'SA') THEN 'Payment for SI ' ELSE 'PI ' END || s.split_number,
       s.net_amount
FROM audit_split s, generate_series(1, 2) AS k WHERE s.type IN ('SR', 'SA', 'PP', 'PA')
ORDER BY s.split_number, k LIMIT 50000 / :divisor;

-- Settled books: statistics gathered and hint bits set before anything is
-- timed, so neither side of the benchmark pays for the load.
VACUUM ANALYZE;
