-- Company empty_books: every table the wizard reads, and every one empty.
CREATE SCHEMA empty_books;
DO $$
DECLARE t name;
BEGIN
    FOR t IN SELECT tablename FROM pg_tables WHERE schemaname = 'public' LOOP
        EXECUTE format('CREATE TABLE empty_books.%I (LIKE public.%I INCLUDING ALL)', t, t);
    END LOOP;
END
$$;
CREATE ROLE empty_books LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE empty_books SET search_path = empty_books, public;
