#include "report/ReportHtml.h"

#include <algorithm>
#include <cstdlib>

namespace quillmere {

namespace {

// The first items of a finding the page lists; the JSON holds them all.
constexpr std::size_t ItemsShown = 10;

constexpr const char* Style = R"(
@page { size: A4; margin: 14mm 12mm; }
body { font-family: "Segoe UI", "DejaVu Sans", Arial, "Microsoft YaHei", "Noto Sans CJK SC",
       "WenQuanYi Micro Hei", sans-serif; font-size: 10pt; color: #1d2530; margin: 0 auto;
       max-width: 190mm; }
@media screen { body { padding: 8mm 6mm; } }
h1 { font-size: 17pt; margin: 0 0 2mm; }
h2 { font-size: 13pt; border-bottom: 2px solid #2f5d8a; padding-bottom: 1mm; margin: 0 0 3mm; }
h3 { font-size: 11pt; margin: 4mm 0 1mm; }
section { margin-bottom: 10mm; }
section + section { break-before: page; page-break-before: always; }
table { border-collapse: collapse; width: 100%; margin: 1mm 0 3mm; }
th, td { padding: 0.6mm 1.5mm; border-bottom: 1px solid #d6dce3; text-align: left;
         vertical-align: top; overflow-wrap: anywhere; }
th { background: #eef2f6; font-weight: 600; }
td.n, th.n { text-align: right; white-space: nowrap; font-variant-numeric: tabular-nums; }
tr.sub td { font-weight: 600; background: #f6f8fa; }
tr.total td { font-weight: 700; border-top: 2px solid #1d2530; }
thead { display: table-header-group; }
tr, tbody.group { break-inside: avoid; page-break-inside: avoid; }
dl { display: grid; grid-template-columns: 38mm 1fr; gap: 0.8mm 3mm; margin: 0 0 3mm; }
dt { font-weight: 600; } dd { margin: 0; overflow-wrap: anywhere; }
.mono { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 8.5pt; }
.badge { display: inline-block; border-radius: 2mm; padding: 0 2mm; color: #fff;
         font-weight: 600; font-size: 9pt; }
.error { background: #b3261e; } .warning { background: #a35a00; } .note { background: #4a6375; }
.finding { border-left: 3px solid #c3ccd6; padding-left: 3mm; margin: 0 0 4mm;
           break-inside: avoid-page; }
.finding p { margin: 0.5mm 0 1mm; }
.summary { font-size: 11pt; margin: 2mm 0 4mm; }
.more { color: #4a6375; font-style: italic; }
svg { display: block; margin: 2mm 0 3mm; }
)";

std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A money text with thousands separated by thin blanks, for reading.
std::string Amount(const DecimalSum& sum) {
    std::string text = sum.Text();
    const bool negative = text.front() == '-';
    const std::size_t digitsStart = negative ? 1 : 0;
    std::size_t point = text.find('.');
    if (point == std::string::npos) {
        point = text.size();
    }
    std::string grouped;
    for (std::size_t i = digitsStart; i < point; ++i) {
        grouped += text[i];
        const std::size_t left = point - i - 1;
        if (left > 0 && left % 3 == 0) {
            grouped += ',';
        }
    }
    return (negative ? "-" : "") + grouped + text.substr(point);
}

// A decimal text as Amount writes it; a text that is no number as it stands.
std::string AmountText(const std::string& text) {
    DecimalSum sum;
    return sum.Add(text) ? Amount(sum) : text;
}

std::string Plural(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Cell(const std::string& text, bool number = false) {
    return std::string(number ? "<td class=\"n\">" : "<td>") + Escaped(text) + "</td>";
}

std::string HeadCell(const std::string& text, bool number = false) {
    return std::string(number ? "<th class=\"n\">" : "<th>") + Escaped(text) + "</th>";
}

void HeaderSection(std::string& out, const MigrationReport& report) {
    const ReportHeader& h = report.header;
    out += "<section id=\"header\">\n<h1>Migration report: " + Escaped(h.company) + "</h1>\n";
    const int errors = report.Count(Severity::Error);
    const int warnings = report.Count(Severity::Warning);
    const int notes = report.Count(Severity::Note);
    out += "<p class=\"summary\">";
    if (errors + warnings == 0) {
        out += "Nothing found that stops the books from moving";
    } else {
        out += Plural(errors, "error", "errors") + " and " +
               Plural(warnings, "warning", "warnings") + " to look at before the books move";
    }
    out += " (" + Plural(notes, "note", "notes") + ").</p>\n<dl>\n";
    const auto fact = [&out](const char* name, const std::string& value, bool mono = false) {
        out += std::string("<dt>") + name + "</dt><dd" + (mono ? " class=\"mono\"" : "") + ">" +
               Escaped(value) + "</dd>\n";
    };
    fact("Company", h.company);
    fact("Data source", h.dataSource);
    fact("Chart of accounts", h.chart);
    fact("Exported", h.exportedAt);
    fact("Program version", h.programVersion);
    fact("Archive", h.archiveName);
    fact("Archive size", std::to_string(h.archiveBytes) + " bytes");
    fact("SHA-256", h.archiveSha256, true);
    out += "</dl>\n<h3>Tables</h3>\n<table>\n<thead><tr>" + HeadCell("Table") +
           HeadCell("Records", true) + HeadCell("Bytes", true) + "</tr></thead>\n<tbody>\n";
    for (const TableFacts& table : report.tables) {
        out += "<tr>" + Cell(table.file) + Cell(std::to_string(table.records), true) +
               Cell(std::to_string(table.bytes), true) + "</tr>\n";
    }
    out += "</tbody></table>\n</section>\n";
}

void FindingsSection(std::string& out, const MigrationReport& report) {
    out += "<section id=\"findings\">\n<h2>Findings</h2>\n";
    if (report.findings.empty()) {
        out += "<p>None.</p>\n";
    }
    for (const Severity severity : {Severity::Error, Severity::Warning, Severity::Note}) {
        const int count = report.Count(severity);
        if (count == 0) {
            continue;
        }
        const std::string name = SeverityName(severity);
        out += "<h3>" +
               std::string(severity == Severity::Error     ? "Errors"
                           : severity == Severity::Warning ? "Warnings"
                                                           : "Notes") +
               " (" + std::to_string(count) + ")</h3>\n";
        for (const Finding& f : report.findings) {
            if (f.severity != severity) {
                continue;
            }
            out += "<div class=\"finding\"><p><span class=\"badge " + name + "\">" + name +
                   "</span> <strong>" + Escaped(f.title) + "</strong> (" + std::to_string(f.count) +
                   ")</p>\n<p>" + Escaped(f.advice) + "</p>\n";
            if (!f.items.empty() && !f.items.front().empty()) {
                out += "<table>\n<thead><tr>";
                for (const auto& [key, value] : f.items.front()) {
                    out += HeadCell(key, value.kind == ItemValue::Kind::Number);
                }
                out += "</tr></thead>\n<tbody>\n";
                const std::size_t shown = std::min(f.items.size(), ItemsShown);
                for (std::size_t i = 0; i < shown; ++i) {
                    out += "<tr>";
                    for (const auto& [key, value] : f.items[i]) {
                        out += Cell(value.kind == ItemValue::Kind::Null ? "-" : value.text,
                                    value.kind == ItemValue::Kind::Number);
                    }
                    out += "</tr>\n";
                }
                out += "</tbody></table>\n";
                if (f.items.size() > shown) {
                    out += "<p class=\"more\">and " + std::to_string(f.items.size() - shown) +
                           " more in the JSON file.</p>\n";
                }
            }
            out += "</div>\n";
        }
    }
    out += "</section>\n";
}

void ControlTotalsSection(std::string& out, const MigrationReport& report) {
    out +=
        "<section id=\"control-totals\">\n<h2>Control totals</h2>\n"
        "<p>Each table as written, counted and added up, against the data source's own count "
        "and sums for the same records. Sums are exact; where the table rounds a value to "
        "four places, the data source's sum is compared as that rounding gives it.</p>\n"
        "<table>\n<thead><tr>" +
        HeadCell("Figure") + HeadCell("Written", true) + HeadCell("Data source", true) +
        HeadCell("") + "</tr></thead>\n";
    for (const TableTotals& table : report.controlTotals.tables) {
        // A table's figures stay on one page.
        out += "<tbody class=\"group\">\n<tr class=\"sub\"><td colspan=\"4\">" +
               Escaped(table.fileName) + "</td></tr>\n";
        out += "<tr>" + Cell("records") + Cell(std::to_string(table.records), true) +
               Cell(table.sourceRecords ? std::to_string(*table.sourceRecords) : "-", true) +
               Cell(AgreementMark(table.recordsAgreement)) + "</tr>\n";
        for (const MoneyTotals& money : table.money) {
            out += "<tr>" + Cell(money.name) + Cell(Amount(money.written), true) +
                   Cell(money.comparedSum ? AmountText(*money.comparedSum) : "-", true) +
                   Cell(std::string(AgreementMark(money.agreement)) +
                        (money.roundedValues > 0
                             ? " (" + Plural(money.roundedValues, "value", "values") + " rounded)"
                             : "")) +
                   "</tr>\n";
        }
        if (!table.unchecked.empty()) {
            out +=
                "<tr><td colspan=\"4\">not checked: " + Escaped(table.unchecked) + "</td></tr>\n";
        }
        out += "</tbody>\n";
    }
    out += "</table>\n</section>\n";
}

void TrialBalanceSection(std::string& out, const MigrationReport& report) {
    const TrialBalance& tb = report.trialBalance;
    out += "<section id=\"trial-balance\">\n<h2>Trial balance</h2>\n<table>\n<thead><tr>" +
           HeadCell("Account") + HeadCell("Name") + HeadCell("Debit", true) +
           HeadCell("Credit", true) + "</tr></thead>\n<tbody>\n";
    const auto amount = [](const DecimalSum& sum) { return sum.IsZero() ? "" : Amount(sum); };
    for (const TrialBalanceCategory& category : tb.categories) {
        out += "<tr class=\"sub\"><td colspan=\"4\">" +
               Escaped(category.name.empty() ? "(no category)" : category.name) + "</td></tr>\n";
        for (const TrialBalanceLine& line : category.accounts) {
            out += "<tr>" + Cell(line.account) + Cell(line.name) + Cell(amount(line.debit), true) +
                   Cell(amount(line.credit), true) + "</tr>\n";
        }
        out += "<tr class=\"sub\"><td></td><td>Total " +
               Escaped(category.name.empty() ? "(no category)" : category.name) + "</td>" +
               Cell(Amount(category.debit), true) + Cell(Amount(category.credit), true) + "</tr>\n";
    }
    out += "<tr class=\"total\"><td></td><td>Totals</td>" + Cell(Amount(tb.debit), true) +
           Cell(Amount(tb.credit), true) + "</tr>\n</tbody></table>\n</section>\n";
}

// Bars of the band totals, scaled to the largest; negative bands (credit
// balances) are drawn from the axis to the left in grey.
std::string BandBars(const AgedLedger& aged) {
    double largest = 0;
    double values[AgeBands];
    for (int b = 0; b < AgeBands; ++b) {
        values[b] = std::strtod(aged.totals[b].Text().c_str(), nullptr);
        largest = std::max(largest, std::abs(values[b]));
    }
    const int width = 640, rowHeight = 28, labelWidth = 72, valueWidth = 120;
    const int barSpace = width - labelWidth - valueWidth;
    std::string svg = "<svg width=\"" + std::to_string(width) + "\" height=\"" +
                      std::to_string(rowHeight * AgeBands + 4) + "\" role=\"img\" " +
                      "aria-label=\"Outstanding by age\">\n";
    for (int b = 0; b < AgeBands; ++b) {
        const int y = b * rowHeight + 2;
        const int length =
            largest > 0 ? static_cast<int>(barSpace * std::abs(values[b]) / largest + 0.5) : 0;
        svg += "<text x=\"0\" y=\"" + std::to_string(y + 18) +
               "\" font-size=\"14\" fill=\"#1d2530\">" + AgeBandNames[b] + "</text>\n";
        svg += "<rect x=\"" + std::to_string(labelWidth) + "\" y=\"" + std::to_string(y + 3) +
               "\" width=\"" + std::to_string(std::max(length, 1)) + "\" height=\"" +
               std::to_string(rowHeight - 8) + "\" fill=\"" +
               (values[b] < 0 ? "#9aa7b4"
                : b >= 3      ? "#b3261e"
                : b >= 1      ? "#d08a2e"
                              : "#2f5d8a") +
               "\"/>\n";
        svg += "<text x=\"" + std::to_string(labelWidth + std::max(length, 1) + 6) + "\" y=\"" +
               std::to_string(y + 18) + "\" font-size=\"14\" fill=\"#1d2530\">" +
               Escaped(Amount(aged.totals[b])) + "</text>\n";
    }
    return svg + "</svg>\n";
}

void AgedSection(std::string& out, const char* id, const char* title, const AgedLedger& aged,
                 const ReportHeader& header) {
    out += std::string("<section id=\"") + id + "\">\n<h2>" + title + "</h2>\n<p>At " +
           IsoDate(header.exportDate) +
           ", by the age of each transaction's date: what is still outstanding, credit notes and "
           "payments on account taken off.</p>\n" +
           BandBars(aged) + "<table>\n<thead><tr>" + HeadCell("Account") + HeadCell("Name");
    for (const char* band : AgeBandNames) {
        out += HeadCell(band, true);
    }
    out += HeadCell("Total", true) + "</tr></thead>\n<tbody>\n";
    for (const AgedAccount& account : aged.accounts) {
        out += "<tr>" + Cell(account.account) + Cell(account.name);
        for (const DecimalSum& band : account.bands) {
            out += Cell(band.IsZero() ? "" : Amount(band), true);
        }
        out += Cell(Amount(account.total), true) + "</tr>\n";
    }
    out += "<tr class=\"total\"><td></td><td>Totals</td>";
    for (const DecimalSum& band : aged.totals) {
        out += Cell(Amount(band), true);
    }
    out += Cell(Amount(aged.total), true) + "</tr>\n</tbody></table>\n</section>\n";
}

void BankSection(std::string& out, const MigrationReport& report) {
    out += "<section id=\"bank\">\n<h2>Bank</h2>\n<table>\n<thead><tr>" + HeadCell("Bank code") +
           HeadCell("Name") + HeadCell("Payments", true) + HeadCell("Paid", true) +
           HeadCell("Receipts", true) + HeadCell("Received", true) + "</tr></thead>\n<tbody>\n";
    for (const BankLine& bank : report.banks) {
        out += "<tr>" + Cell(bank.code) + Cell(bank.name) +
               Cell(std::to_string(bank.payments), true) + Cell(Amount(bank.paid), true) +
               Cell(std::to_string(bank.receipts), true) + Cell(Amount(bank.received), true) +
               "</tr>\n";
    }
    out += "</tbody></table>\n</section>\n";
}

void HistorySection(std::string& out, const MigrationReport& report) {
    const History& h = report.history;
    out += "<section id=\"history\">\n<h2>History</h2>\n<dl>\n<dt>First transaction</dt><dd>" +
           (h.first ? IsoDate(*h.first) : std::string("-")) +
           "</dd>\n<dt>Last transaction</dt><dd>" + (h.last ? IsoDate(*h.last) : std::string("-")) +
           "</dd>\n<dt>Transactions</dt><dd>" + std::to_string(h.transactions) +
           "</dd>\n</dl>\n<table>\n<thead><tr>" + HeadCell("Type") +
           HeadCell("Transactions", true) + "</tr></thead>\n<tbody>\n";
    for (const auto& [type, count] : h.types) {
        out += "<tr>" + Cell(type) + Cell(std::to_string(count), true) + "</tr>\n";
    }
    out += "</tbody></table>\n</section>\n";
}

}  // namespace

std::string ReportHtml(const MigrationReport& report) {
    StringSink text;
    WriteReportHtml(report, text);
    return text.Text();
}

void WriteReportHtml(const MigrationReport& report, TextSink& sink) {
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Migration "
        "report: " +
        Escaped(report.header.company) + "</title>\n<style>" + Style +
        "</style>\n</head>\n<body>\n";
    // Each section goes to the sink once made.
    const auto section = [&](auto write) {
        write(out);
        sink.Put(out);
        out.clear();
    };
    section([&](std::string& o) { HeaderSection(o, report); });
    section([&](std::string& o) { FindingsSection(o, report); });
    section([&](std::string& o) { ControlTotalsSection(o, report); });
    section([&](std::string& o) { TrialBalanceSection(o, report); });
    section([&](std::string& o) {
        AgedSection(o, "aged-debtors", "Aged debtors", report.agedDebtors, report.header);
    });
    section([&](std::string& o) {
        AgedSection(o, "aged-creditors", "Aged creditors", report.agedCreditors, report.header);
    });
    section([&](std::string& o) { BankSection(o, report); });
    section([&](std::string& o) { HistorySection(o, report); });
    sink.Put("</body>\n</html>\n");
}

}  // namespace quillmere
