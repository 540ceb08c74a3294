#pragma once
// The program's side of the reader process: every call that reaches the
// Sage ODBC driver runs in a process of its own, started from this
// program's executable (ReaderModeArgument), so that a driver that crashes
// ends that process only, and one that blocks can be ended at once.
//
// Each call sends one request and waits for its answer. While it waits it
// calls OnPump about every 50 ms (which raises EAbort to stop: the reader is
// then ended within a fraction of a second), and OnWaiting once a second
// when the driver has said nothing for WaitingAfter. A reader that dies
// ends the call with EReaderStopped; the next call starts a new reader, which
// is logged in to nothing.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/Exceptions.h"
#include "platform/System.h"
#include "sage/ChartOfAccounts.h"
#include "sage/ExportWalk.h"
#include "sage/LedgerExports.h"
#include "sage/ReaderProtocol.h"
#include "sage/TChartAccount.h"

namespace quillmere {

// The reader process stopped unexpectedly (the driver crashed in it, it was
// killed, or it closed its pipe).
class EReaderStopped : public Exception {
  public:
    EReaderStopped(const std::string& doing, const std::string& how);
    // What the program was doing through the driver ("logging in").
    const std::string& Doing() const { return doing_; }

  private:
    std::string doing_;
};

// "Waiting for the Sage ODBC driver (logging in): 12 s".
std::string WaitingText(const std::string& doing, int seconds);

class SageReader {
  public:
    // `program`: the executable to start in reader mode (this program's own).
    explicit SageReader(std::string program);
    ~SageReader();
    SageReader(const SageReader&) = delete;
    SageReader& operator=(const SageReader&) = delete;

    // Called while a call waits; may raise (EAbort) to stop the call.
    std::function<void()> OnPump;
    // (what the call does, whole seconds waited): once a second while the
    // driver is silent past WaitingAfter; seconds 0 when it speaks again.
    std::function<void(const std::string& doing, int seconds)> OnWaiting;
    std::chrono::milliseconds WaitingAfter{3000};

    // The names of the ODBC data sources (user and system).
    std::vector<std::string> DataSourceNames();
    // Opens the company's connection in the reader (closing one it held).
    // The driver's failure comes back as odbc::EOdbcError.
    bool Login(int versionNo, const RegionalSettings& settings, const std::string& companyPath,
               const std::string& userId, const std::string& password);
    // The logged-in company's charts of accounts.
    ChartChoices Charts();
    // Appends the category ranges of `chart` to `into`.
    void LoadCategories(int chart, CategoryList& into,
                        const std::function<void(int, int)>& progress);
    // The export of one table into `rows`, as TSageObject::ExportLedger
    // makes it in the reader; returns the record count after it (the walk
    // sets it, or leaves `recordCount` as it was).
    int Export(Ledger ledger, const std::string& sortColumn, RowSink& rows,
               const std::function<void(int, int)>& progress, const std::string& doing,
               int recordCount);
    // The first row of a statement (an aggregate).
    std::vector<odbc::SingleValue> SingleRow(const std::string& sql, const std::string& doing);
    // The table check's count and timed sample.
    reader::TableSample SampleTable(Ledger ledger, int sampleRecords, const std::string& doing);
    // Closes the company's connection; the reader stays for the next login.
    void Logout();

    // Ends the reader process now (a stop; the program's end).
    void Stop();
    // The reader's process ID; 0 when none runs.
    long ProcessId() const;
    // Whether a reader process runs.
    bool Running() const { return child_ != nullptr; }

  private:
    class Call;
    void start();
    // The next frame from the reader (its type byte and fields), valid until
    // the next call.
    std::string_view receive(const std::string& doing);
    [[noreturn]] void stopped(const std::string& doing);
    // Sends `frame` and reads until its Done (returned) or Failed (raised),
    // handing every other message to `onMessage`.
    reader::FrameReader request(reader::Frame& frame, const std::string& doing,
                                const std::function<void(reader::FrameReader&)>& onMessage = {});

    static constexpr std::size_t ReadBlock = 64 * 1024;
    std::string program_;
    std::unique_ptr<ChildProcess> child_;
    std::string inbox_;
    std::size_t inboxAt_ = 0;  // where the frame not yet taken starts
};

}  // namespace quillmere
