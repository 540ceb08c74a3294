-- Company broken_allocations: the common books, but the allocations table
-- lacks its amount column, so the payments query fails when it opens.
CREATE SCHEMA broken_allocations;
CREATE TABLE broken_allocations.audit_usage (split_number integer, reference varchar(30),
    details varchar(60));
CREATE ROLE broken_allocations LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE broken_allocations SET search_path = broken_allocations, public;
