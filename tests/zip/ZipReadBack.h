#pragma once
// Reading an archive back with independent tools: Python's zipfile (through
// zipread.py, which prints JSON) and Info-ZIP's unzip / zipinfo.
#include <QJsonArray>
#include <QJsonObject>
#include <string>

namespace quillmere::test {

// Runs a shell command; returns its standard output and sets `status` to the
// exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

// What zipread.py reports for `archive`; with `sourceDir`, every entry also
// says whether it equals the file of its name there ("matches_source").
QJsonObject ReadZip(const std::string& archive, const std::string& sourceDir = {});

// The "entries" array of ReadZip's answer, each entry as an object.
QJsonArray ZipEntries(const QJsonObject& zip);

// The entry names in archive order.
std::vector<std::string> ZipEntryNames(const QJsonObject& zip);

// The shell-quoted form of `text`.
std::string ShellQuote(const std::string& text);

}  // namespace quillmere::test
