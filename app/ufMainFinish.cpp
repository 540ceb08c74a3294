// Finish, first half: the export run. The chart categories, then the eight
// tables, each streamed to its file beside the program and added to the
// export archive, which is written at the end; the loose files are deleted
// and the archive goes on to the submission.
#include "app/ufMain.h"
#include "export/ArchiveName.h"
#include "export/ControlTotals.h"
#include "export/ExportTables.h"
#include "export/TableFile.h"
#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "platform/ZipWriter.h"

namespace quillmere {

void TfrmMain::cmdFinishClick() {
    if (!SageObj) {
        throw Exception("Must Connect to Sage first");
    }
    // The archive's name carries the moment the run started.
    const std::tm startedAt = system_.localNow();

    // No second run in this program run: Finish and Back stay disabled
    // whatever happens below.
    view_.setEnabled("cmdFinish", false);
    view_.setEnabled("cmdBack", false);
    view_.setVisible("txtStatus", true);
    view_.setVisible("pbMain", true);
    Log("Starting Data Export...");

    const std::string programDir = system_.executableDir();
    const std::string archivePath = ArchivePath(programDir, CompanyName, startedAt);
    ZipWriter zipMain;
    zipMain.open(archivePath);  // the archive file exists, empty, from here on

    view_.addStatusLine("Getting Chart of Accounts Categories...");
    SageObj->LoadChartCategories(view_);

    // One table at a time, never in memory: the rows go straight to the
    // table's file, which takes its name once the table is complete.
    std::vector<std::string> tableFiles;
    ControlTotals totals = StartControlTotals(archivePath, startedAt);
    for (const ExportTable& table : ExportTables()) {
        if (!table.announce.empty()) {
            view_.addStatusLine(table.announce);
        }
        TableFile file(programDir + table.fileName);
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
        Reconcile(SageObj->Connection, definition, tally);
        zipMain.addFile(file.Path());
        tableFiles.push_back(file.Path());
    }

    Log("Closing Zip file and saving to disk");
    zipMain.close();
    for (const std::string& path : tableFiles) {
        DeleteFileAt(path);
    }
    Log("Temp files deleted");

    view_.addStatusLine("Export from Sage Complete!");
    view_.addStatusLine("Starting transfer of data");
    Log("Export completed");
    FinishControlTotals(totals, archivePath);

    SubmitArchive(archivePath);
}

}  // namespace quillmere
