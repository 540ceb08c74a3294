-- A small company for the tests: one of each awkward value.
INSERT INTO currency VALUES (1, 'GBP', 'Pound Sterling'), (2, 'EUR', 'Euro');

INSERT INTO sales_ledger (account_ref, name, address_1, contact_name, e_mail, def_tax_code,
    def_nom_code, code, country_code, currency, settlement_disc_rate, settlement_due_days,
    payment_due_days, credit_limit, account_on_hold, terms, date_account_opened, balance)
VALUES
    ('ABB001', 'Abbey "Road" Stores, Ltd', '1 High Street', 'Ann Abbey', 'ann@abbey.example',
     1, '4000', 'GBP', 'GB', 1, 2.5, 10, 30, 5000, 0, '30 days', '2015-04-01', 1234.5),
    ('BRO002', 'Brown & Sons £', NULL, NULL, NULL, NULL, NULL, 'GBP', 'GB', 1, NULL, NULL, NULL,
     NULL, 1, NULL, NULL, -250.75),
    ('ZED003', 'Zed GmbH  ', 'Hauptstraße 5', NULL, NULL, 1, '4000', 'EUR', 'DE', 2, 0, 0, 60,
     0, 0, NULL, '2016-01-31', 0);

INSERT INTO chart_list VALUES (1, 'Standard');
