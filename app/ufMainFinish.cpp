// Finish, first half: the export run. The chart categories, then the eight
// tables, each streamed to its file beside the program and added to the
// export archive (deflated on a worker while the next table exports), which
// is written at the end; the loose files are deleted and the archive goes on
// to the submission.
#include "app/ufMain.h"
#include "export/ArchiveName.h"
#include "export/ControlTotals.h"
#include "export/ExportTables.h"
#include "export/TableFile.h"
#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "platform/ZipWriter.h"
#include "report/ReportRun.h"
#include "sage/ChartOfAccounts.h"
#include "sage/SageReader.h"

namespace quillmere {

namespace {

// Removes what a failed run made; a file that will not go is left (the
// run's own error is the one to report).
void RemoveQuietly(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        try {
            DeleteFileAt(path);
        } catch (const Exception&) {
        }
    }
}

}  // namespace

void TfrmMain::cmdFinishClick() {
    if (!SageObj) {
        throw Exception("Must Connect to Sage first");
    }
    // The archive's name carries the moment the run started.
    const std::tm startedAt = system_.localNow();

    // No second run in this program run: Finish and Back stay disabled
    // whatever happens below, unless no chart was chosen (nothing exported).
    // The status memo shows first, so that the focus leaving the disabled
    // buttons has a place other than Cancel.
    view_.setVisible("txtStatus", true);
    view_.setVisible("pbMain", true);
    view_.setEnabled("cmdFinish", false);
    view_.setEnabled("cmdBack", false);
    Log("Starting Data Export...");

    const std::string programDir = system_.executableDir();
    const std::string archivePath = ArchivePath(programDir, CompanyName, startedAt);
    // A run that fails or is stopped leaves nothing that looks like output:
    // neither its tables nor an archive it did not complete. An archive of
    // the same name that was there before is not this run's to remove.
    const bool archiveWasThere = FileExists(archivePath);
    std::vector<std::string> tableFiles;
    ControlTotals totals = StartControlTotals(archivePath, startedAt);
    // The migration report reads each table's bytes as the archive's
    // writer deflates them.
    ReportRun report(ReportDates(startedAt));
    std::string writing = archivePath;  // the file a file error is about
    try {
        ZipWriter zipMain;
        zipMain.open(archivePath);  // the archive file exists, empty, from here on

        view_.addStatusLine("Getting Chart of Accounts Categories...");
        SageObj->LoadChartCategories(view_);

        // One table at a time, never in memory: the rows go straight to the
        // table's file, which takes its name once the table is complete.
        for (const ExportTable& table : ExportTables()) {
            if (!table.announce.empty()) {
                view_.addStatusLine(table.announce);
            }
            writing = programDir + table.fileName;
            TableFile file(writing);
            const ExportDefinition definition = LedgerExport(table.ledger, *SageObj);
            TableTotals& tally = totals.tables.emplace_back();
            tally.fileName = table.fileName;
            tally.ledger = table.ledger;
            TotalsSink counted(file, definition, tally);
            table.run(*SageObj, counted);
            if (table.countLine) {
                view_.addStatusLine(CountLine(file.LineCount()));
            }
            file.Commit();
            tableFiles.push_back(file.Path());
            Reconcile(*SageObj, definition, tally);
            // Deflated, and read for the report, while the next table exports.
            zipMain.addFinishedFile(file.Path(),
                                    report.AddTable(table.ledger, table.fileName, file.Path()));
        }

        Log("Closing Zip file and saving to disk");
        writing = archivePath;
        zipMain.setStopCheck([this] { return view_.stopPending(); });
        zipMain.close();
        // The archive is whole: a table the report cannot read again costs
        // the report, not the run.
        try {
            report.CompleteFromFiles();
        } catch (const std::exception& e) {
            report.Fail(e.what());
        }
    } catch (...) {
        RemoveQuietly(tableFiles);
        if (!archiveWasThere) {
            RemoveQuietly({archivePath});
        }
        // A stop that the archive's writer noticed (it stops without pumping)
        // is handled here as a pump would handle it.
        view_.processMessages();
        try {
            throw;
        } catch (const ENoChartChosen&) {
            // The chooser closed with no chart: nothing was exported, so the
            // page goes back to how it was before Finish and the user can
            // press Finish again (and pick a chart) or go Back. Without this
            // the run would end with Finish and Back disabled for good.
            view_.setEnabled("cmdFinish", true);
            view_.setEnabled("cmdBack", true);
            view_.clearStatus();
            view_.setVisible("txtStatus", false);
            view_.setVisible("pbMain", false);
            throw;
        } catch (const EReaderStopped&) {
            // The Sage driver's process ended under the run, and what the run
            // made is gone. The window stays usable: Back leads to the login
            // page, where a new login starts a new reader.
            LoggedIn = false;
            view_.setEnabled("cmdBack", true);
            throw;
        } catch (const EInOutError& e) {
            // "Disk full", "File access denied": say which file.
            throw Exception(std::string(e.what()) + " (" + writing + ")");
        }
    }
    for (const std::string& path : tableFiles) {
        DeleteFileAt(path);
    }
    Log("Temp files deleted");
    // A stop asked for while the archive was written ends the run before
    // the upload; the archive is complete and stays.
    PumpMessages();

    view_.addStatusLine("Export from Sage Complete!");
    Log("Export completed");
    FinishControlTotals(totals, archivePath);
    // The report is named before the transfer starts, and its findings are
    // put to the user first.
    WriteMigrationReport(report, totals, archivePath, startedAt);
    if (!ConfirmSend(archivePath)) {
        return;
    }
    view_.addStatusLine("Starting transfer of data");
    SubmitArchive(archivePath);
}

}  // namespace quillmere
