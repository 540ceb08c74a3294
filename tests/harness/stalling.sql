-- Companies whose driver calls block, for the tests of stopping a run that
-- waits for the Sage driver: a table whose query sleeps before its first
-- row (as a driver blocked on a locked file or a lost share would).
--   stalling_export: the sales and purchase transactions (audit_split)
--   stalling_chart:  the chart of accounts (chart_list)
CREATE FUNCTION public.stall() RETURNS boolean LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_sleep(3600);
    RETURN true;
END
$$;

CREATE SCHEMA stalling_export;
CREATE VIEW stalling_export.audit_split AS SELECT * FROM public.audit_split WHERE public.stall();
CREATE ROLE stalling_export LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE stalling_export SET search_path = stalling_export, public;

CREATE SCHEMA stalling_chart;
CREATE VIEW stalling_chart.chart_list AS SELECT * FROM public.chart_list WHERE public.stall();
CREATE ROLE stalling_chart LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE stalling_chart SET search_path = stalling_chart, public;
