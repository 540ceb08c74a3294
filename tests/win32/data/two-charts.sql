-- Company two_charts: the demo company's books with a second chart of
-- accounts, so Finish shows the chart chooser. Chart 2 (Charity) has the
-- demo chart's categories under titles of its own.
CREATE SCHEMA two_charts;
CREATE TABLE two_charts.chart_list (LIKE public.chart_list INCLUDING ALL);
INSERT INTO two_charts.chart_list SELECT * FROM public.chart_list;
INSERT INTO two_charts.chart_list (chart, name) VALUES (2, 'Charity');
CREATE TABLE two_charts.cat_title (LIKE public.cat_title INCLUDING ALL);
INSERT INTO two_charts.cat_title SELECT * FROM public.cat_title;
INSERT INTO two_charts.cat_title (title, category, chart)
    SELECT 'Charity ' || title, category, 2 FROM public.cat_title WHERE chart = 1;
CREATE ROLE two_charts LOGIN PASSWORD 'letmein' IN ROLE sage_reader;
ALTER ROLE two_charts SET search_path = two_charts, public;
