#include "sage/TSageObject.h"

#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/RegionalSettings.h"
#include "platform/odbc/OdbcDataSources.h"
#include "platform/odbc/OdbcQuery.h"
#include "platform/odbc/OdbcSingleRow.h"
#include "sage/CompanyList.h"
#include "sage/SageReader.h"

namespace quillmere {

namespace {

// A name inside `dir` matched without regard to case, or the name as given.
std::string ResolveIgnoringCase(const std::string& dir, const std::string& name) {
    if (auto found = FindIgnoringCase(dir, name)) {
        return *found;
    }
    return JoinPath(dir, name);
}

// A path as a message shows it: control characters escaped, and cut short
// when a damaged file made it very long.
std::string ShownPath(const std::string& path) {
    constexpr std::size_t MaxShown = 200;
    std::string shown = VisibleText(path.size() > MaxShown ? path.substr(0, MaxShown) : path);
    return path.size() > MaxShown ? shown + "..." : shown;
}

struct Company {
    std::string name;      // UTF-8
    std::string dataPath;  // the line + separator + ACCDATA, exact
};

}  // namespace

std::optional<CompanyListFile> ReadCompanyList(const std::string& homeDir) {
    const auto list = FindIgnoringCase(WithTrailingBackslash(homeDir), "company");
    if (!list || !FileExists(*list)) {
        return std::nullopt;
    }
    CompanyListFile file{*list, {}};
    for (const std::string& dir : CompanyDirectories(ReadWholeFile(*list))) {
        CompanyListEntry& entry = file.entries.emplace_back();
        entry.directory = dir;
        try {
            entry.dataPath = ResolveIgnoringCase(dir, "ACCDATA");
            entry.setupFile = ResolveIgnoringCase(entry.dataPath, "SETUP.DTA");
        } catch (const Exception& e) {
            entry.dataPath.clear();
            entry.setupFile.clear();
            entry.problem = e.what();
        }
    }
    return file;
}

std::string DataSourceName(int versionNo) {
    return "SageLine50v" + std::to_string(versionNo);
}

std::string ConnectionStringValue(const std::string& value) {
    const bool needsBraces = value.find_first_of(";{}") != std::string::npos ||
                             (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsBraces) {
        return value;
    }
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') {
            out += '}';
        }
    }
    out += '}';
    return out;
}

std::string OdbcConnectionString(int versionNo, const std::string& userId,
                                 const std::string& password, const std::string& dataPath) {
    return "DSN=" + DataSourceName(versionNo) + ";UID=" + ConnectionStringValue(userId) +
           ";PWD=" + ConnectionStringValue(password) + ";DIR=" + ConnectionStringValue(dataPath);
}

std::string WithTrailingBackslash(const std::string& path) {
    return WithTrailingSeparator(path);
}

std::string ReadCompanyName(const std::string& setupFile) {
    return CompanyNameFromSetup(ReadFileBytesAt(setupFile, 0, 63));
}

TSageObject::TSageObject(int versionNo)
    : VersionNo(versionNo), Settings(RegionalSettingsFromEnvironment()) {}

TSageObject::~TSageObject() = default;

void TSageObject::SelectCompany(WizardView& view, std::string& companyName,
                                std::string& companyPath) {
    std::string chosenPath;
    if (!HomeDir.empty()) {
        const auto list = ReadCompanyList(HomeDir);
        if (!list) {
            view.messageBox(NoCompanyListMessage, MsgType::Error, MsgButtons::OK);
        } else {
            std::vector<Company> companies;
            UnreadableCompanies.clear();
            for (const CompanyListEntry& entry : list->entries) {
                // A company that cannot be read (deleted since, or a damaged
                // line) is left out and named; the others stay reachable.
                if (!entry.problem.empty()) {
                    UnreadableCompanies.push_back(ShownPath(entry.directory) + ": " +
                                                  entry.problem);
                    continue;
                }
                Company c{{}, entry.dataPath};
                try {
                    c.name = ReadCompanyName(entry.setupFile);
                } catch (const Exception& e) {
                    UnreadableCompanies.push_back(ShownPath(entry.setupFile) + ": " + e.what());
                    continue;
                }
                if (c.name.empty()) {
                    UnreadableCompanies.push_back(ShownPath(entry.setupFile) + ": no company name");
                    continue;
                }
                companies.push_back(std::move(c));
            }
            if (!UnreadableCompanies.empty()) {
                std::string text = "These companies of the company list " + list->path +
                                   " cannot be read and are left out:";
                for (const std::string& line : UnreadableCompanies) {
                    text += "\n" + line;
                }
                view.messageBox(text, MsgType::Warning, MsgButtons::OK);
                if (companies.empty()) {
                    throw Exception("No company of the company list " + list->path +
                                    " can be read");
                }
            }
            if (companies.size() == 1) {
                companyName = companies.front().name;
                chosenPath = companies.front().dataPath;
            } else {
                // The grid shows the blanks of a path as "_"; the path chosen
                // is the company's own, so a "_" in a directory name survives.
                std::vector<std::pair<std::string, std::string>> rows;
                for (const Company& c : companies) {
                    std::string shown = c.dataPath;
                    for (char& ch : shown) {
                        if (ch == ' ') {
                            ch = '_';
                        }
                    }
                    rows.emplace_back(c.name, shown);
                }
                if (const auto row = view.chooseCompany(rows)) {
                    if (*row >= 1 && static_cast<std::size_t>(*row) <= companies.size()) {
                        companyName = companies[static_cast<std::size_t>(*row - 1)].name;
                        chosenPath = companies[static_cast<std::size_t>(*row - 1)].dataPath;
                    } else {
                        companyName.clear();  // an empty row of the grid
                    }
                }
            }
        }
    }
    companyPath = chosenPath;
}

void TSageObject::UseReader(const std::string& program) {
    reader_ = std::make_unique<SageReader>(program);
    reader_->OnPump = [this] {
        if (OnPump) {
            OnPump();
        }
    };
    reader_->OnWaiting = [this](const std::string& doing, int seconds) {
        if (OnWaiting) {
            OnWaiting(doing, seconds);
        }
    };
}

std::vector<std::string> TSageObject::DataSourceNames() {
    return reader_ ? reader_->DataSourceNames() : odbc::DataSourceNames();
}

bool TSageObject::Login(const std::string& companyPath, const std::string& userId,
                        const std::string& password) {
    if (reader_) {
        Categories.clear();
        ChosenChart.clear();
        return reader_->Login(VersionNo, Settings, companyPath, userId, password);
    }
    if (Connection.Connected()) {
        Connection.Close();
    }
    Connection.SetConnectionString(OdbcConnectionString(VersionNo, userId, password, companyPath));
    Connection.SetLoginTimeout(15);
    Connection.Open();
    return Connection.Connected();
}

void TSageObject::Logout() {
    if (reader_) {
        reader_->Logout();
    }
    Connection.Close();
}

std::vector<odbc::SingleValue> TSageObject::SingleRow(const std::string& sql,
                                                      const std::string& doing) {
    if (reader_) {
        return reader_->SingleRow(sql, doing);
    }
    return odbc::SingleRow(Connection, sql);
}

void TSageObject::ExportLedger(Ledger ledger, const std::string& sortColumn, RowSink& rows) {
    if (reader_) {
        RecordCount = reader_->Export(ledger, sortColumn, rows, OnProgress,
                                      std::string("reading ") + LedgerTitle(ledger), RecordCount);
        return;
    }
    ExportRows(LedgerExport(ledger, *this), sortColumn, rows);
}

void TSageObject::WalkQuery(const std::string& sql, bool countRecords,
                            const std::function<void(const ExportRecord&)>& perRecord,
                            RowSink* aggregating) {
    odbc::Query query(Connection);  // released on every path
    query.SetSql(sql);
    if (aggregating) {
        query.SetCountAggregates(aggregating->SourceAggregates());
    }
    query.Open();
    if (aggregating && query.CountAggregateValues()) {
        aggregating->SourceAggregated(*query.CountAggregateValues());
    }
    query.First();
    if (countRecords) {
        RecordCount = query.RecordCount();
    }
    const ExportRecord record(query, Settings);
    int counter = 1;
    while (!query.Eof()) {
        perRecord(record);
        query.Next();
        ++counter;
        if (counter % 200 == 0) {
            if (countRecords && OnProgress) {
                OnProgress(counter, RecordCount);
            } else if (!countRecords && OnPump) {
                OnPump();
            }
        }
    }
}

void TSageObject::ExportRows(const ExportDefinition& definition, const std::string& sortColumn,
                             RowSink& rows) {
    const std::string sql = WithSortColumn(definition.sql, sortColumn);
    if (!rows.WantsLines()) {
        WalkQuery(sql, definition.countRecords, [](const ExportRecord&) {});
        return;
    }
    rows.Add(definition.header);
    std::vector<int> fields;
    const RowFormats formats(Settings);
    std::string line;
    WalkQuery(
        sql, definition.countRecords,
        [&](const ExportRecord& record) {
            if (!definition.filter || definition.filter(record)) {
                line.clear();
                AppendRowLine(line, definition, record.Query(), formats, fields, &rows);
                rows.Add(line);
            }
        },
        &rows);
}

}  // namespace quillmere
