#pragma once
// The migration report as JSON, for tools: every figure and every finding's
// items in full (the fields are documented in the README).
#include <string>

#include "report/MigrationReport.h"

namespace quillmere {

std::string ReportJson(const MigrationReport& report);

// A JSON string literal of a UTF-8 text, quotes included.
std::string JsonString(const std::string& text);

}  // namespace quillmere
