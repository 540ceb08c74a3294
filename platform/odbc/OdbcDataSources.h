#pragma once
// The data sources that the ODBC driver manager knows (user and system).
#include <string>
#include <vector>

namespace quillmere::odbc {

// The names of every data source, as the driver manager lists them; raises
// EOdbcError when no driver manager environment can be had.
std::vector<std::string> DataSourceNames();

}  // namespace quillmere::odbc
