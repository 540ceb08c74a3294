#pragma once
// The ODBC API's declarations, core and extensions: include this header,
// never <sql.h> or <sqlext.h> directly; Windows' own ODBC headers need
// windows.h before them.
#ifdef _WIN32
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>
