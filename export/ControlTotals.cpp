#include "export/ControlTotals.h"

#include "sage/SageReader.h"
#include "sage/TSageObject.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/odbc/OdbcQuery.h"
#include "platform/odbc/OdbcSingleRow.h"
#include "sage/ValueText.h"

namespace quillmere {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The header's column names, split at its commas.
std::vector<std::string> HeaderNames(const std::string& header) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const auto comma = header.find(',', start);
        names.push_back(Trimmed(header.substr(start, comma - start)));
        if (comma == std::string::npos) {
            return names;
        }
        start = comma + 1;
    }
}

// Whether the written and the data source's sum agree. An exact sum from the
// data source must match to the last digit, once the rounding that the
// table applies to values with more than four places is applied to it too
// (`compared` receives that figure); a floating one (the sum of binary
// values) to the fourth decimal place.
Agreement Compare(const MoneyTotals& money, const odbc::SingleValue& source,
                  std::optional<std::string>& compared) {
    const DecimalSum& written = money.written;
    const std::string text = source.text.value_or("0");
    if (source.floating) {
        // A binary sum compares to the fourth place, as the tables write.
        DecimalSum rounded;
        compared = rounded.Add(DecimalValueText(text, '.')) ? rounded.Text() : text;
        const double difference =
            std::strtod(written.Text().c_str(), nullptr) - std::strtod(text.c_str(), nullptr);
        const double tolerance =
            std::max(0.00005, std::fabs(std::strtod(text.c_str(), nullptr)) * 1e-12);
        return std::fabs(difference) <= tolerance ? Agreement::Agrees : Agreement::Differs;
    }
    DecimalSum expected;
    if (!expected.Add(text)) {
        compared = text;
        return Agreement::Differs;
    }
    expected.Add(money.rounding);
    compared = expected.Text();
    return expected == written ? Agreement::Agrees : Agreement::Differs;
}

std::string Row(const std::string& name, const std::string& written, const std::string& source,
                const std::string& mark) {
    char line[256];
    std::snprintf(line, sizeof line, "  %-22s %18s %18s  %s", name.c_str(), written.c_str(),
                  source.c_str(), mark.c_str());
    std::string text = line;
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

TotalsSink::TotalsSink(RowSink& next, const ExportDefinition& definition, TableTotals& totals)
    : next_(next), definition_(definition), totals_(totals) {}

void TotalsSink::Add(const std::string& line) {
    next_.Add(line);
    if (header_) {
        // The money columns by their place in the line and their names in
        // the header, which holds one name per column.
        header_ = false;
        names_ = HeaderNames(line);
        const std::vector<std::string>& names = names_;
        for (const std::string& source : definition_.money) {
            for (std::size_t i = 0; i < definition_.columns.size(); ++i) {
                if (SameIgnoringCase(definition_.columns[i].source, source)) {
                    fields_.push_back(i);
                    MoneyTotals money;
                    money.name = i < names.size() ? names[i] : source;
                    money.source = source;
                    totals_.money.push_back(std::move(money));
                    break;
                }
            }
        }
        return;
    }
    ++totals_.records;
    if (fields_.empty()) {
        return;
    }
    // Walk the fields to the money columns: a quoted value may hold commas
    // and doubled quotes; money values are written bare.
    std::size_t field = 0;
    std::size_t at = 0;
    while (at <= line.size()) {
        std::size_t end = at;
        if (end < line.size() && line[end] == '"') {
            for (++end; end < line.size(); ++end) {
                if (line[end] == '"') {
                    if (end + 1 < line.size() && line[end + 1] == '"') {
                        ++end;
                    } else {
                        ++end;
                        break;
                    }
                }
            }
        }
        end = std::min(line.find(',', end), line.size());
        for (std::size_t m = 0; m < fields_.size(); ++m) {
            if (fields_[m] == field && end > at) {
                MoneyTotals& money = totals_.money[m];
                if (!money.written.Add(std::string_view(line).substr(at, end - at))) {
                    ++money.unreadable;
                }
            }
        }
        ++field;
        at = end + 1;
    }
}

std::vector<std::string> TotalsSink::SourceAggregates() const {
    return SourceTotalsAggregates(definition_);
}

void TotalsSink::SourceAggregated(const std::vector<odbc::SingleValue>& values) {
    totals_.sourceFigures = values;
}

void TotalsSink::ValueLost(std::size_t column, ValueLoss loss, const std::string& source,
                           std::string_view written) {
    next_.ValueLost(column, loss, source, written);
    const std::string name = column < names_.size() ? names_[column] : std::to_string(column + 1);
    auto found =
        std::find_if(totals_.losses.begin(), totals_.losses.end(),
                     [&](const ColumnLoss& l) { return l.column == name && l.loss == loss; });
    if (found == totals_.losses.end()) {
        found = totals_.losses.insert(totals_.losses.end(), ColumnLoss{name, loss, 0, {}});
    }
    ++found->values;
    if (found->examples.size() < ColumnLoss::MaxExamples) {
        // The line being made follows the header and the records so far.
        found->examples.push_back({totals_.records + 2, source, std::string(written)});
    }
    if (loss != ValueLoss::Rounded) {
        return;
    }
    for (std::size_t m = 0; m < fields_.size(); ++m) {
        if (fields_[m] == column) {
            MoneyTotals& money = totals_.money[m];
            ++money.roundedValues;
            money.rounding.Add(written);
            money.rounding.Subtract(source);
        }
    }
}

std::vector<std::string> SourceTotalsAggregates(const ExportDefinition& definition) {
    const std::string& filter = definition.filterSql;
    const std::string from = std::string(odbc::CountedRecordsAlias) + ".";
    std::vector<std::string> aggregates;
    // A record whose rule is NULL is not kept, as in a WHERE clause.
    aggregates.push_back(filter.empty() ? "COUNT(*)"
                                        : "SUM(CASE WHEN " + filter + " THEN 1 ELSE 0 END)");
    for (const std::string& column : definition.money) {
        aggregates.push_back(filter.empty()
                                 ? "SUM(" + from + column + ")"
                                 : "SUM(CASE WHEN " + filter + " THEN " + from + column + " END)");
    }
    return aggregates;
}

std::string SourceTotalsSql(const ExportDefinition& definition) {
    std::string sql = "SELECT COUNT(*)";
    for (const std::string& column : definition.money) {
        sql += ", SUM(exported." + column + ")";
    }
    sql += " FROM (" + odbc::WithoutFinalOrderBy(WithSortColumn(definition.sql, "1")) +
           ") AS exported";
    if (!definition.filterSql.empty()) {
        sql += " WHERE " + definition.filterSql;
    }
    return sql;
}

void Reconcile(TSageObject& sage, const ExportDefinition& definition, TableTotals& totals) {
    std::vector<odbc::SingleValue> row;
    if (totals.sourceFigures) {
        row = *totals.sourceFigures;
    } else {
        try {
            row = sage.SingleRow(SourceTotalsSql(definition),
                                 "adding up the control totals of " + totals.fileName);
        } catch (const EAbort&) {
            throw;
        } catch (const EReaderStopped&) {
            // The driver's end is the run's failure, not a figure unchecked.
            throw;
        } catch (const std::exception& e) {
            totals.unchecked = e.what();
            return;
        }
    }
    if (row.size() != 1 + totals.money.size()) {
        totals.unchecked = "the data source gave " + std::to_string(row.size()) + " totals for " +
                           std::to_string(1 + totals.money.size()) + " figures";
        return;
    }
    totals.sourceRecords = std::atoll(row[0].text.value_or("0").c_str());
    totals.recordsAgreement =
        *totals.sourceRecords == totals.records ? Agreement::Agrees : Agreement::Differs;
    for (std::size_t i = 0; i < totals.money.size(); ++i) {
        MoneyTotals& money = totals.money[i];
        money.sourceSum = row[i + 1].text.value_or("0");
        const Agreement agreement = Compare(money, row[i + 1], money.comparedSum);
        money.agreement = money.unreadable > 0 ? Agreement::Differs : agreement;
    }
}

const char* AgreementMark(Agreement agreement) {
    switch (agreement) {
        case Agreement::Agrees:
            return "ok";
        case Agreement::Differs:
            return "DIFFERENT";
        case Agreement::Unchecked:
            break;
    }
    return "not checked";
}

int ControlTotals::Warnings() const {
    int warnings = 0;
    for (const TableTotals& table : tables) {
        warnings += table.recordsAgreement != Agreement::Agrees;
        for (const MoneyTotals& money : table.money) {
            warnings += money.agreement != Agreement::Agrees;
        }
    }
    return warnings;
}

std::optional<DecimalSum> ControlTotals::TrialBalance() const {
    for (const TableTotals& table : tables) {
        if (table.ledger != Ledger::NominalAccounts) {
            continue;
        }
        for (const MoneyTotals& money : table.money) {
            if (SameIgnoringCase(money.source, "BALANCE")) {
                return money.written;
            }
        }
    }
    return std::nullopt;
}

std::string ControlTotals::Text() const {
    std::string text = "Control totals of " + archiveName + "\n";
    text += "Company:  " + companyName + "\n";
    text += "Exported: " + exportedAt + "\n\n";
    text += Row("", "written", "data source", "") + "\n";
    for (const TableTotals& table : tables) {
        text += table.fileName + "\n";
        const std::string source =
            table.sourceRecords ? std::to_string(*table.sourceRecords) : std::string("-");
        text += Row("records", std::to_string(table.records), source,
                    AgreementMark(table.recordsAgreement)) +
                "\n";
        for (const MoneyTotals& money : table.money) {
            std::string mark = AgreementMark(money.agreement);
            if (money.unreadable > 0) {
                mark += " (" + std::to_string(money.unreadable) + " values are not numbers)";
            }
            text +=
                Row(money.name, money.written.Text(), money.sourceSum.value_or("-"), mark) + "\n";
            if (money.roundedValues > 0) {
                // The table writes four places: the data source's sum as
                // that rounding gives it is what the written sum must be.
                text += Row("  rounded as written", "", money.comparedSum.value_or("-"),
                            "(" + std::to_string(money.roundedValues) +
                                (money.roundedValues == 1 ? " value" : " values") +
                                " with more than four places)") +
                        "\n";
            }
        }
        if (!table.unchecked.empty()) {
            text += "  not checked: the data source could not total the table: " + table.unchecked +
                    "\n";
        }
    }
    if (const auto balance = TrialBalance()) {
        text +=
            "\nNominal trial balance (BALANCE in Nominal Ledger Codes.csv): " + balance->Text() +
            (balance->IsZero() ? ", zero" : ", NOT zero") + "\n";
    }
    const int warnings = Warnings();
    text += warnings == 0 ? "\nEvery figure agrees with the data source.\n"
                          : "\nWARNING: " + std::to_string(warnings) +
                                (warnings == 1 ? " figure does" : " figures do") +
                                " not agree with the data source (marked DIFFERENT or not "
                                "checked).\n";
    return text;
}

std::string ArchiveStem(const std::string& archivePath) {
    std::string stem = archivePath;
    if (stem.size() >= 4 && SameIgnoringCase(stem.substr(stem.size() - 4), ".zip")) {
        stem.resize(stem.size() - 4);
    }
    return stem;
}

std::string SummaryPath(const std::string& archivePath) {
    return ArchiveStem(archivePath) + ".summary.txt";
}

void WriteSummary(const std::string& path, const ControlTotals& totals) {
    std::string bytes;
    for (char c : totals.Text()) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    WriteWholeFile(path, bytes);
}

std::string TotalsWarning(const ControlTotals& totals, const std::string& summaryPath) {
    return "The control totals of the export do not all agree with Sage's own (" +
           std::to_string(totals.Warnings()) + " marked DIFFERENT or not checked): see " +
           summaryPath;
}

}  // namespace quillmere
