#pragma once
// One row of a statement that yields a single row (an aggregate: COUNT,
// SUM), read as texts. Lighter than a Query: no record count, no blocks, no
// second statement beside it.
#include <optional>
#include <string>
#include <vector>

#include "platform/odbc/OdbcConnection.h"

namespace quillmere::odbc {

struct SingleValue {
    // The value as the driver writes it as text ("12.50", "3", "1.5e-07");
    // nothing for NULL.
    std::optional<std::string> text;
    // REAL, FLOAT or DOUBLE: the text holds a rounded binary value.
    bool floating = false;
};

// Runs `sql` on the open connection and reads its first row; raises
// EOdbcError with the driver's text when the statement fails, and an
// Exception when it yields no row.
std::vector<SingleValue> SingleRow(Connection& connection, const std::string& sql);

}  // namespace quillmere::odbc
