-- Company one_chart: the common books with a single chart of accounts,
-- chart 2 (Charity), so no chooser appears.
CREATE SCHEMA one_chart;
CREATE TABLE one_chart.chart_list (LIKE public.chart_list INCLUDING ALL);
INSERT INTO one_chart.chart_list VALUES (2, 'Charity');
CREATE ROLE one_chart LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE one_chart SET search_path = one_chart, public;
