-- Company no_chart: no chart of accounts at all; its category titles are
-- filed under chart 0.
CREATE SCHEMA no_chart;
CREATE TABLE no_chart.chart_list (LIKE public.chart_list INCLUDING ALL);
CREATE TABLE no_chart.cat_title (LIKE public.cat_title INCLUDING ALL);
INSERT INTO no_chart.cat_title VALUES ('Chart Nought Sales', 3, 0), ('Other Chart', 1, 7);
CREATE ROLE no_chart LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE no_chart SET search_path = no_chart, public;
