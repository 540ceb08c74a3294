#include "report/ReportJson.h"

#include <cstdio>

namespace quillmere {

namespace {

const char* AgreementName(Agreement agreement) {
    switch (agreement) {
        case Agreement::Agrees:
            return "agrees";
        case Agreement::Differs:
            return "differs";
        case Agreement::Unchecked:
            break;
    }
    return "unchecked";
}

// Writes JSON with two blanks of indent per level; the caller says where
// objects and arrays begin and end, the writer puts the commas.
class JsonWriter {
  public:
    explicit JsonWriter(TextSink& sink) : sink_(sink) {}
    void Key(const char* name) {
        Separate();
        out_ += JsonString(name);
        out_ += ": ";
        afterKey_ = true;
    }
    void Open(char bracket) {
        Separate();
        out_ += bracket;
        first_ = true;
        ++depth_;
    }
    void Close(char bracket) {
        --depth_;
        if (!first_) {
            NewLine();
        }
        out_ += bracket;
        first_ = false;
    }
    void Raw(const std::string& text) {
        Separate();
        out_ += text;
        first_ = false;
    }
    void String(const std::string& text) { Raw(JsonString(text)); }
    void Number(long long n) { Raw(std::to_string(n)); }
    void Money(const DecimalSum& sum) { String(sum.Text()); }
    void Null() { Raw("null"); }
    void OptionalString(const std::optional<std::string>& text) { text ? String(*text) : Null(); }
    // Ends the text and hands the rest to the sink.
    void Finish() {
        out_ += '\n';
        Flush();
    }

  private:
    // The text goes to the sink a piece at a time.
    void Flush() {
        sink_.Put(out_);
        out_.clear();
    }
    void Separate() {
        if (out_.size() > 1 << 16) {
            Flush();
        }
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (!first_) {
            out_ += ',';
        }
        if (depth_ > 0) {
            NewLine();
        }
        first_ = false;
    }
    void NewLine() {
        out_ += '\n';
        out_.append(static_cast<std::size_t>(depth_) * 2, ' ');
    }
    TextSink& sink_;
    std::string out_;
    int depth_ = 0;
    bool first_ = true;
    bool afterKey_ = false;
};

void WriteAged(JsonWriter& w, const AgedLedger& aged) {
    w.Open('{');
    w.Key("bands");
    w.Open('[');
    for (const char* band : AgeBandNames) {
        w.String(band);
    }
    w.Close(']');
    w.Key("accounts");
    w.Open('[');
    for (const AgedAccount& account : aged.accounts) {
        w.Open('{');
        w.Key("account");
        w.String(account.account);
        w.Key("name");
        w.String(account.name);
        w.Key("bands");
        w.Open('[');
        for (const DecimalSum& band : account.bands) {
            w.Money(band);
        }
        w.Close(']');
        w.Key("total");
        w.Money(account.total);
        w.Close('}');
    }
    w.Close(']');
    w.Key("totals");
    w.Open('[');
    for (const DecimalSum& band : aged.totals) {
        w.Money(band);
    }
    w.Close(']');
    w.Key("total");
    w.Money(aged.total);
    w.Close('}');
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string ReportJson(const MigrationReport& report) {
    StringSink text;
    WriteReportJson(report, text);
    return text.Text();
}

void WriteReportJson(const MigrationReport& report, TextSink& out) {
    const ReportHeader& h = report.header;
    JsonWriter w(out);
    w.Open('{');
    w.Key("format");
    w.String("quillmere-migration-report/1");
    w.Key("program");
    w.Open('{');
    w.Key("name");
    w.String("Quillmere Export Wizard");
    w.Key("version");
    w.String(h.programVersion);
    w.Close('}');
    w.Key("company");
    w.String(h.company);
    w.Key("dataSource");
    w.String(h.dataSource);
    w.Key("chart");
    w.String(h.chart);
    w.Key("exportedAt");
    w.String(h.exportedAt);
    w.Key("exportDate");
    w.String(IsoDate(h.exportDate));
    w.Key("archive");
    w.Open('{');
    w.Key("name");
    w.String(h.archiveName);
    w.Key("bytes");
    w.Number(h.archiveBytes);
    w.Key("sha256");
    w.String(h.archiveSha256);
    w.Close('}');

    w.Key("tables");
    w.Open('[');
    for (const TableFacts& table : report.tables) {
        w.Open('{');
        w.Key("file");
        w.String(table.file);
        w.Key("records");
        w.Number(table.records);
        w.Key("bytes");
        w.Number(table.bytes);
        w.Close('}');
    }
    w.Close(']');

    w.Key("counts");
    w.Open('{');
    for (const Severity severity : {Severity::Error, Severity::Warning, Severity::Note}) {
        w.Key(SeverityName(severity));
        w.Number(report.Count(severity));
    }
    w.Close('}');

    w.Key("findings");
    w.Open('[');
    for (const Finding& f : report.findings) {
        w.Open('{');
        w.Key("code");
        w.String(f.code);
        w.Key("severity");
        w.String(SeverityName(f.severity));
        w.Key("count");
        w.Number(f.count);
        w.Key("title");
        w.String(f.title);
        w.Key("advice");
        w.String(f.advice);
        w.Key("items");
        w.Open('[');
        for (const FindingItem& item : f.items) {
            w.Open('{');
            for (const auto& [name, value] : item) {
                w.Key(name);
                switch (value.kind) {
                    case ItemValue::Kind::Text:
                        w.String(value.text);
                        break;
                    case ItemValue::Kind::Number:
                        w.Raw(value.text);
                        break;
                    case ItemValue::Kind::Null:
                        w.Null();
                        break;
                }
            }
            w.Close('}');
        }
        w.Close(']');
        w.Close('}');
    }
    w.Close(']');

    w.Key("controlTotals");
    w.Open('[');
    for (const TableTotals& table : report.controlTotals.tables) {
        w.Open('{');
        w.Key("table");
        w.String(table.fileName);
        w.Key("records");
        w.Open('{');
        w.Key("written");
        w.Number(table.records);
        w.Key("source");
        table.sourceRecords ? w.Number(*table.sourceRecords) : w.Null();
        w.Key("agreement");
        w.String(AgreementName(table.recordsAgreement));
        w.Close('}');
        w.Key("money");
        w.Open('[');
        for (const MoneyTotals& money : table.money) {
            w.Open('{');
            w.Key("column");
            w.String(money.name);
            w.Key("written");
            w.Money(money.written);
            w.Key("source");
            w.OptionalString(money.sourceSum);
            w.Key("compared");
            w.OptionalString(money.comparedSum);
            w.Key("roundedValues");
            w.Number(money.roundedValues);
            w.Key("agreement");
            w.String(AgreementName(money.agreement));
            w.Close('}');
        }
        w.Close(']');
        w.Key("unchecked");
        table.unchecked.empty() ? w.Null() : w.String(table.unchecked);
        w.Close('}');
    }
    w.Close(']');

    w.Key("trialBalance");
    w.Open('{');
    w.Key("categories");
    w.Open('[');
    for (const TrialBalanceCategory& category : report.trialBalance.categories) {
        w.Open('{');
        w.Key("name");
        w.String(category.name);
        w.Key("accounts");
        w.Open('[');
        for (const TrialBalanceLine& line : category.accounts) {
            w.Open('{');
            w.Key("account");
            w.String(line.account);
            w.Key("name");
            w.String(line.name);
            w.Key("debit");
            w.Money(line.debit);
            w.Key("credit");
            w.Money(line.credit);
            w.Close('}');
        }
        w.Close(']');
        w.Key("debit");
        w.Money(category.debit);
        w.Key("credit");
        w.Money(category.credit);
        w.Close('}');
    }
    w.Close(']');
    w.Key("debit");
    w.Money(report.trialBalance.debit);
    w.Key("credit");
    w.Money(report.trialBalance.credit);
    w.Close('}');

    w.Key("agedDebtors");
    WriteAged(w, report.agedDebtors);
    w.Key("agedCreditors");
    WriteAged(w, report.agedCreditors);

    w.Key("bank");
    w.Open('[');
    for (const BankLine& bank : report.banks) {
        w.Open('{');
        w.Key("bankCode");
        w.String(bank.code);
        w.Key("name");
        w.String(bank.name);
        w.Key("payments");
        w.Open('{');
        w.Key("count");
        w.Number(bank.payments);
        w.Key("amount");
        w.Money(bank.paid);
        w.Close('}');
        w.Key("receipts");
        w.Open('{');
        w.Key("count");
        w.Number(bank.receipts);
        w.Key("amount");
        w.Money(bank.received);
        w.Close('}');
        w.Close('}');
    }
    w.Close(']');

    const History& history = report.history;
    w.Key("history");
    w.Open('{');
    w.Key("first");
    history.first ? w.String(IsoDate(*history.first)) : w.Null();
    w.Key("last");
    history.last ? w.String(IsoDate(*history.last)) : w.Null();
    w.Key("transactions");
    w.Number(history.transactions);
    w.Key("types");
    w.Open('{');
    for (const auto& [type, count] : history.types) {
        w.Key(type.c_str());
        w.Number(count);
    }
    w.Close('}');
    w.Close('}');
    w.Close('}');
    w.Finish();
}

}  // namespace quillmere
