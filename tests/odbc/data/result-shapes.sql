-- One table with every kind of column the query reader meets: short text,
-- exact decimals, dates, unbounded text and text whose declared size says
-- nothing about its values (varchar without a length). The values sit around
-- the sizes where reading changes: a bound cell, a part of SQLGetData (4,096
-- characters), 8,192 characters, and far beyond.
CREATE TABLE shapes (
    id integer PRIMARY KEY,
    code varchar(8),
    amount numeric(12, 2),
    opened date,
    memo text,
    note text,
    title varchar(60),
    free varchar
);

INSERT INTO shapes VALUES
    (1, 'A1', 12.50, '2016-01-31', '', 'x', 'First "quoted", title', 'short'),
    (2, 'B2', -0.01, '2015-12-31', 'x', '', 'Second', ''),
    (3, 'C3', 0, NULL, repeat('a', 4095), repeat('b', 4096), 'Brown & Sons £', NULL),
    (4, NULL, 99999.99, '2000-02-29', repeat('c', 4096), repeat('d', 4095), NULL, 'x'),
    (5, 'E5', NULL, '1999-01-01', repeat('e', 8191), repeat('f', 8192), 'Zed GmbH  ', 'y'),
    (6, 'F6', 1, '2016-06-06', repeat('g€', 50000), NULL, 'Hauptstraße 5', 'z'),
    (7, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
    (8, 'H8', 2, '2016-08-08', 'Überweisung – „Ωmega“' || chr(13) || chr(10) || 'line 2',
     'tab' || chr(9) || 'end', 'Straße', repeat('v', 300)),
    (9, 'I9', 3, '2016-09-09', NULL, repeat('h', 100000), 'Ninth', repeat('w', 5000)),
    (10, 'J10', 4, '2016-10-10', 'ten', 'ten', 'Tenth', 'ten'),
    (11, 'K11', 5, '2016-11-11', repeat('i', 100000), repeat('j', 1), 'Eleventh', NULL);
