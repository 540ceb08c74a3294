#pragma once
// The ODBC API's declarations. Windows' own headers need windows.h first.
#ifdef _WIN32
#include <windows.h>
#endif

#include <sql.h>
