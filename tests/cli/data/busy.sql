-- Company busy (login busy / letmein): the common books with 1,000 sales
-- invoices in place of their transactions, so the exports report progress
-- (every 200 records) and a run can be stopped in the middle.
CREATE SCHEMA busy;
CREATE TABLE busy.audit_split (LIKE public.audit_split INCLUDING ALL);
CREATE TABLE busy.audit_journal (LIKE public.audit_journal INCLUDING ALL);
INSERT INTO busy.audit_split (split_number, tran_number, type, date, account_ref, details,
    paid_flag, net_amount, tax_amount, gross_amount, deleted_flag)
SELECT n, n, 'SI', DATE '2016-01-01' + n % 300, 'ABB001', 'Invoice ' || n, 'N', n, n / 5.0,
       n * 1.2, 0
FROM generate_series(1, 1000) AS n;
INSERT INTO busy.audit_journal SELECT tran_number, '4000', net_amount FROM busy.audit_split;
CREATE ROLE busy LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE busy SET search_path = busy, public;
