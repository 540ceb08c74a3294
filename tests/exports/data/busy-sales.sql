-- Company busy_sales: 450 sales records, of which 30 are payments on account
-- already paid (dropped from the sales table), and 250 purchase invoices.
CREATE SCHEMA busy_sales;
CREATE TABLE busy_sales.audit_split (LIKE public.audit_split INCLUDING ALL);
CREATE TABLE busy_sales.audit_journal (LIKE public.audit_journal INCLUDING ALL);
INSERT INTO busy_sales.audit_split (split_number, tran_number, type, date, account_ref,
    details, paid_flag, net_amount, deleted_flag)
SELECT n, n, CASE WHEN n % 15 = 0 THEN 'SA' ELSE 'SI' END, DATE '2016-01-01' + n % 300,
       'ABB001', 'Sale ' || n, CASE WHEN n % 15 = 0 THEN 'Y' ELSE 'N' END, n, 0
FROM generate_series(1, 450) AS n;
INSERT INTO busy_sales.audit_split (split_number, tran_number, type, date, account_ref,
    details, paid_flag, net_amount, deleted_flag)
SELECT n, n, 'PI', DATE '2016-01-01', 'SUP001', 'Bill ' || n, 'N', n, 0
FROM generate_series(1001, 1250) AS n;
INSERT INTO busy_sales.audit_journal SELECT tran_number, '4000', net_amount
FROM busy_sales.audit_split;
CREATE ROLE busy_sales LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE busy_sales SET search_path = busy_sales, public;
