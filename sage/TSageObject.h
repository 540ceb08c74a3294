#pragma once
// The one object through which the wizard reaches a Sage company's data: it
// owns the ODBC connection, reads the company list and lets the user pick a
// company, logs in, and walks the export queries (ExportWalk.h).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/System.h"
#include "platform/WizardView.h"
#include "platform/odbc/OdbcConnection.h"
#include "sage/ChartOfAccounts.h"
#include "sage/ExportWalk.h"
#include "sage/LedgerExports.h"
#include "sage/TChartAccount.h"

namespace quillmere {

class SageReader;

// Progress notification: (position, maximum).
using ProgressCallback = std::function<void(int position, int maximum)>;

// The data source of a Sage version: "SageLine50v" and the number.
std::string DataSourceName(int versionNo);

// The ODBC connection string of a login:
//   DSN=SageLine50v<n>;UID=<user>;PWD=<password>;DIR=<company data path>
// A value holding ";", "{", "}" or blanks at either end is enclosed in
// braces (a "}" inside doubled), so it arrives whole and cannot add
// attributes of its own.
std::string OdbcConnectionString(int versionNo, const std::string& userId,
                                 const std::string& password, const std::string& dataPath);

// A connection-string value, braced when it needs to be.
std::string ConnectionStringValue(const std::string& value);

// The path with the platform separator at its end.
std::string WithTrailingBackslash(const std::string& path);

// The company name held in a SETUP.DTA: the 60 bytes from offset 3 (fewer
// when the file is shorter), without leading and trailing bytes 0 to 32,
// converted from Windows-1252 to UTF-8. Raises EInOutError when the file
// cannot be read.
std::string ReadCompanyName(const std::string& setupFile);

// A line of the COMPANY list: the company's directory, its data directory
// (ACCDATA) and its SETUP.DTA, each name matched without regard to case.
// When the names cannot be resolved (a damaged line), `problem` says why and
// the paths are empty.
struct CompanyListEntry {
    std::string directory;
    std::string dataPath;
    std::string setupFile;
    std::string problem;
};

// The COMPANY list of a home directory: where it is and the companies it
// names, blank lines left out.
struct CompanyListFile {
    std::string path;
    std::vector<CompanyListEntry> entries;
};

// The COMPANY list in `homeDir`; nothing when there is none. Raises
// EInOutError when the list cannot be read.
std::optional<CompanyListFile> ReadCompanyList(const std::string& homeDir);

// The message shown when the home directory holds no company list.
inline constexpr const char* NoCompanyListMessage =
    "Unable to locate the directory where Sage has been installed\r"
    "You will now be able to select where Sage is installed\r"
    "This is typically C:\\Program Files\\Sage\\Accounts";

class TSageObject {
  public:
    explicit TSageObject(int versionNo);
    ~TSageObject();
    TSageObject(const TSageObject&) = delete;
    TSageObject& operator=(const TSageObject&) = delete;

    // The Sage home directory (holds the COMPANY list).
    std::string HomeDir;
    // The version number 7..22; names the data source "SageLine50v<n>".
    int VersionNo;
    // The connection to the company's data; opened by Login.
    odbc::Connection Connection;
    // Number of records of the query being walked.
    int RecordCount = 0;
    // Set by the wizard to its ShowProgress; may be empty.
    ProgressCallback OnProgress;
    // Called every 200 records of a walk that reports no progress, so that a
    // stop asked for meanwhile is noticed there too; may be empty.
    std::function<void()> OnPump;
    // The category ranges of the chosen chart, loaded by LoadChartCategories.
    CategoryList Categories;
    // The chart chosen by the last ChooseChart, as the chooser lists it
    // ("1 - Standard"; the number alone when the company has one chart).
    std::string ChosenChart;
    // The regional formats of the value texts; the user's at creation.
    RegionalSettings Settings;

    // Reads the COMPANY list of HomeDir and each company's name, and lets the
    // user choose one through `view` (no dialog for a single company). The
    // name is written only when a company (or an empty grid row) is chosen;
    // the data path is always written, empty when nothing was chosen. The
    // path returned is the chosen company's exact path.
    // Companies of the list that cannot be read (their SETUP.DTA missing,
    // unreadable or without a name) are left out and shown in a warning box;
    // UnreadableCompanies then holds one "path: reason" line for each. When
    // none is left, an error says so and nothing changes.
    void SelectCompany(WizardView& view, std::string& companyName, std::string& companyPath);
    std::vector<std::string> UnreadableCompanies;

    // Runs every call that reaches the ODBC driver from here on in a reader
    // process started from `program` (this program's own executable; see
    // sage/SageReader.h): the login, the data source list, the chart, the
    // table exports and single-row statements. Without it they run in this
    // process (the reader process itself runs them so). Set before Login.
    void UseReader(const std::string& program);
    // The reader, when one is used.
    SageReader* Reader() const { return reader_.get(); }
    // While a driver call has been silent for a few seconds: what it does and
    // for how long (whole seconds; 0 when it speaks again). Reader only.
    std::function<void(const std::string& doing, int seconds)> OnWaiting;

    // The ODBC data sources of this computer (user and system).
    std::vector<std::string> DataSourceNames();

    // Closes an open connection, then opens one for the company data path
    // with the user ID and password. Raises the driver's error when the open
    // fails (the connection is closed then); returns whether it is open.
    // Through a reader, a login starts afresh: the categories loaded for an
    // earlier login are dropped.
    bool Login(const std::string& companyPath, const std::string& userId,
               const std::string& password);

    // The export walk (ExportWalk.h): header, then one line per kept record
    // of the definition's query with `sortColumn` in place of "%s", into `rows`.
    void ExportRows(const ExportDefinition& definition, const std::string& sortColumn,
                    RowSink& rows);

    // The export of one of the eight tables (LedgerExport) into `rows`,
    // "%s" of its SQL text replaced by `sortColumn`; the Export* below call it.
    void ExportLedger(Ledger ledger, const std::string& sortColumn, RowSink& rows);

    // The first row of a statement that yields one (an aggregate); `doing`
    // says what it is for when the reader stops during it.
    std::vector<odbc::SingleValue> SingleRow(const std::string& sql, const std::string& doing);

    // Closes the company's connection.
    void Logout();

    // The walk without lines: runs `sql`, calls `perRecord` for each record
    // and counts and reports progress as ExportRows does (when countRecords).
    // `aggregating`, when given, names the aggregates the data source computes
    // while it counts the records and is told their values before the first
    // record.
    void WalkQuery(const std::string& sql, bool countRecords,
                   const std::function<void(const ExportRecord&)>& perRecord,
                   RowSink* aggregating = nullptr);

    // The eight table exports (LedgerExports.cpp). Each appends its header
    // and one line per kept record to `rows`; the sort column replaces "%s"
    // in its SQL text as given. The purchase transactions export neither
    // sets RecordCount nor reports progress; the others report every 200
    // records.
    void ExportSalesAccounts(const std::string& sortColumn, RowSink& rows);
    void ExportPurchaseAccounts(const std::string& sortColumn, RowSink& rows);
    void ExportNominalAccounts(const std::string& sortColumn, RowSink& rows);
    void ExportSalesTransactions(const std::string& sortColumn, RowSink& rows);
    void ExportPurchaseTransactions(const std::string& sortColumn, RowSink& rows);
    void ExportOtherTransactions(const std::string& sortColumn, RowSink& rows);
    void ExportPayments(RowSink& rows);
    void ExportReceipts(RowSink& rows);

    // The chart of accounts (ChartOfAccounts.cpp). ChooseChart returns the
    // company's only chart (0 when it has none) or asks the user through
    // `view` when it has several; a chooser closed with nothing highlighted
    // is an error. LoadChartCategories appends the chosen chart's category
    // ranges to Categories (without emptying it first), walking its query
    // with RecordCount and progress as the exports do.
    int ChooseChart(WizardView& view);
    void LoadChartCategories(WizardView& view);
    // The company's charts, without asking; and the category ranges of one
    // chart appended to Categories.
    ChartChoices ListCharts();
    void LoadCategoriesOfChart(int chart);
    // The title of the first loaded range that holds the account reference,
    // empty when none does.
    std::string NominalCategory(const std::string& accountRef) const;

  private:
    std::unique_ptr<SageReader> reader_;
};

}  // namespace quillmere
