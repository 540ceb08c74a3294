-- The Sage Line 50 tables and columns that the wizard reads, with the column
-- types the stand-in data source reports for them. Both ledgers also carry a
-- CODE column (the wizard writes it as the currency code).

CREATE TABLE currency (
    number integer PRIMARY KEY,
    code varchar(3),
    name varchar(30)
);

CREATE TABLE sales_ledger (
    account_ref varchar(8) PRIMARY KEY,
    name varchar(60),
    address_1 varchar(60),
    address_2 varchar(60),
    address_3 varchar(60),
    address_4 varchar(60),
    address_5 varchar(60),
    contact_name varchar(30),
    telephone varchar(30),
    telephone_2 varchar(30),
    fax varchar(30),
    e_mail varchar(255),
    web_address varchar(255),
    analysis_1 varchar(60),
    analysis_2 varchar(60),
    analysis_3 varchar(60),
    status_text varchar(30),
    def_tax_code smallint,
    def_nom_code varchar(8),
    vat_reg_number varchar(20),
    code varchar(3),
    country_code varchar(2),
    currency integer,
    settlement_disc_rate numeric(5, 2),
    settlement_due_days smallint,
    payment_due_days smallint,
    credit_limit numeric(12, 2),
    account_on_hold smallint,
    terms varchar(60),
    date_account_opened date,
    balance numeric(12, 2)
);

CREATE TABLE purchase_ledger (LIKE sales_ledger INCLUDING ALL);

CREATE TABLE nominal_ledger (
    account_ref varchar(8) PRIMARY KEY,
    name varchar(60),
    account_type smallint,
    balance numeric(12, 2)
);

CREATE TABLE audit_split (
    split_number integer PRIMARY KEY,
    tran_number integer NOT NULL,
    type varchar(2),
    date date,
    account_ref varchar(8),
    inv_ref varchar(30),
    details varchar(60),
    paid_flag varchar(1),
    paid_status varchar(1),
    net_amount numeric(12, 2),
    tax_amount numeric(12, 2),
    gross_amount numeric(12, 2),
    amount_paid numeric(12, 2),
    payment numeric(12, 2),
    outstanding numeric(12, 2),
    date_entered timestamp,
    deleted_flag smallint NOT NULL DEFAULT 0,
    bank_code varchar(8)
);

CREATE TABLE audit_journal (
    tran_number integer NOT NULL,
    nominal_code varchar(8),
    amount numeric(12, 2)
);

CREATE TABLE audit_usage (
    split_number integer NOT NULL,
    reference varchar(30),
    details varchar(60),
    amount float8
);

CREATE TABLE chart_list (
    chart integer PRIMARY KEY,
    name varchar(60)
);

CREATE TABLE cat_title (
    title varchar(60),
    category integer,
    chart integer
);

CREATE TABLE category (
    category integer,
    flag_asset_liability integer,
    name varchar(60),
    low varchar(8),
    high varchar(8)
);
