#pragma once
// The table check's figures for one table, read in this process: the data
// source's count of the records the export keeps, and the export of its
// first records timed.
#include "sage/LedgerExports.h"
#include "sage/ReaderProtocol.h"
#include "sage/TSageObject.h"

namespace quillmere {

reader::TableSample SampleTable(TSageObject& sage, Ledger ledger, int sampleRecords);

}  // namespace quillmere
