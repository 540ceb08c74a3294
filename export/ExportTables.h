#pragma once
// The eight tables of the export archive, in archive order: the status line
// that announces each, the export that fills it, its file (and entry) name
// and whether its count line follows.
#include <functional>
#include <string>
#include <vector>

#include "sage/LedgerExports.h"
#include "sage/TSageObject.h"

namespace quillmere {

struct ExportTable {
    // The status memo's line before the export; empty for none.
    std::string announce;
    // Runs the export into the sink (with the table's sort column).
    std::function<void(TSageObject&, RowSink&)> run;
    // The file beside the program and the entry in the archive.
    std::string fileName;
    // Whether "Found %d items." follows the export.
    bool countLine;
    // The export's definition, for the control totals.
    Ledger ledger;
};

const std::vector<ExportTable>& ExportTables();

// The count line: "Found <lines> items.", the header line counted.
std::string CountLine(int lines);

}  // namespace quillmere
