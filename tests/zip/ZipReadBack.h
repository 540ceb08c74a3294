#pragma once
// Reading an archive back with independent tools: Python's zipfile (through
// zipread.py, which prints JSON) and Info-ZIP's unzip / zipinfo.
#include <QJsonArray>
#include <QJsonObject>
#include <string>

#include "support/Command.h"

namespace quillmere::test {

// What zipread.py reports for `archive`; with `sourceDir`, every entry also
// says whether it equals the file of its name there ("matches_source").
QJsonObject ReadZip(const std::string& archive, const std::string& sourceDir = {});

// The "entries" array of ReadZip's answer, each entry as an object.
QJsonArray ZipEntries(const QJsonObject& zip);

// The entry names in archive order.
std::vector<std::string> ZipEntryNames(const QJsonObject& zip);

}  // namespace quillmere::test
