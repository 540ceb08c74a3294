#include "sage/TSageObject.h"

#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/RegionalSettings.h"
#include "platform/odbc/OdbcQuery.h"

namespace quillmere {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string TrimControls(const std::string& s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && IsBlank(s[first])) {
        ++first;
    }
    while (last > first && IsBlank(s[last - 1])) {
        --last;
    }
    return s.substr(first, last - first);
}

// A name inside `dir` matched without regard to case, or the name as given.
std::string ResolveIgnoringCase(const std::string& dir, const std::string& name) {
    if (auto found = FindIgnoringCase(dir, name)) {
        return *found;
    }
    return JoinPath(dir, name);
}

struct Company {
    std::string name;      // UTF-8
    std::string dataPath;  // the line + separator + ACCDATA, exact
};

}  // namespace

std::optional<std::vector<CompanyListEntry>> ReadCompanyList(const std::string& homeDir) {
    const auto list = FindIgnoringCase(WithTrailingBackslash(homeDir), "company");
    if (!list || !FileExists(*list)) {
        return std::nullopt;
    }
    std::vector<CompanyListEntry> entries;
    for (const std::string& line : ReadTextLines(*list)) {
        const std::string dir = TrimControls(line);
        if (dir.empty()) {
            continue;
        }
        CompanyListEntry entry;
        entry.directory = dir;
        entry.dataPath = ResolveIgnoringCase(dir, "ACCDATA");
        entry.setupFile = ResolveIgnoringCase(entry.dataPath, "SETUP.DTA");
        entries.push_back(std::move(entry));
    }
    return entries;
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
    return Utf8FromCp1252(TrimControls(ReadFileBytesAt(setupFile, 3, 60)));
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
            for (const CompanyListEntry& entry : *list) {
                companies.push_back({ReadCompanyName(entry.setupFile), entry.dataPath});
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

bool TSageObject::Login(const std::string& companyPath, const std::string& userId,
                        const std::string& password) {
    if (Connection.Connected()) {
        Connection.Close();
    }
    Connection.SetConnectionString(OdbcConnectionString(VersionNo, userId, password, companyPath));
    Connection.SetLoginTimeout(15);
    Connection.Open();
    return Connection.Connected();
}

void TSageObject::WalkQuery(const std::string& sql, bool countRecords,
                            const std::function<void(const ExportRecord&)>& perRecord) {
    odbc::Query query(Connection);  // released on every path
    query.SetSql(sql);
    query.Open();
    query.First();
    if (countRecords) {
        RecordCount = query.RecordCount();
    }
    const ExportRecord record(query, Settings);
    int counter = 1;
    while (!query.Eof()) {
        perRecord(record);
        query.Next();
        if (countRecords) {
            ++counter;
            if (counter % 200 == 0 && OnProgress) {
                OnProgress(counter, RecordCount);
            }
        }
    }
}

void TSageObject::ExportRows(const ExportDefinition& definition, const std::string& sortColumn,
                             RowSink& rows) {
    const std::string sql = WithSortColumn(definition.sql, sortColumn);
    rows.Add(definition.header);
    std::vector<int> fields;
    WalkQuery(sql, definition.countRecords, [&](const ExportRecord& record) {
        if (!definition.filter || definition.filter(record)) {
            rows.Add(RowLine(definition, record.Query(), Settings, fields));
        }
    });
}

}  // namespace quillmere
