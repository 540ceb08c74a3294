-- Company bulky (login bulky / letmein): the common books with 150,000
-- purchase invoices of two journal lines each in place of their
-- transactions, so that the purchase transactions (a table that reports no
-- progress) and the archive take long enough to be stopped in the middle.
CREATE SCHEMA bulky;
CREATE TABLE bulky.audit_split (LIKE public.audit_split INCLUDING ALL);
CREATE TABLE bulky.audit_journal (LIKE public.audit_journal INCLUDING ALL);
INSERT INTO bulky.audit_split (split_number, tran_number, type, date, account_ref, details,
    paid_flag, net_amount, tax_amount, gross_amount, deleted_flag)
SELECT n, n, 'PI', DATE '2016-01-01' + n % 300, 'SUP001', 'Purchase invoice ' || n || ' '
       || md5(n::text), 'N', n, n / 5.0, n * 1.2, 0
FROM generate_series(1, 150000) AS n;
INSERT INTO bulky.audit_journal SELECT tran_number, '5000', net_amount FROM bulky.audit_split;
INSERT INTO bulky.audit_journal SELECT tran_number, '2200', tax_amount FROM bulky.audit_split;
CREATE ROLE bulky LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE bulky SET search_path = bulky, public;
