#include "platform/odbc/OdbcDataSources.h"

#include <sqlext.h>

#include "platform/odbc/OdbcConnection.h"

namespace quillmere::odbc {

std::vector<std::string> DataSourceNames() {
    SQLHENV env = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        throw EOdbcError("The ODBC driver manager cannot be used", "");
    }
    std::vector<std::string> names;
    try {
        Check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                            0),
              SQL_HANDLE_ENV, env, "SQLSetEnvAttr");
        SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
        SQLCHAR description[512];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        for (;;) {
            const SQLRETURN rc =
                SQLDataSources(env, direction, name, sizeof name, &nameLength, description,
                               sizeof description, &descriptionLength);
            if (rc == SQL_NO_DATA) {
                break;
            }
            Check(rc, SQL_HANDLE_ENV, env, "SQLDataSources");
            names.emplace_back(reinterpret_cast<const char*>(name));
            direction = SQL_FETCH_NEXT;
        }
    } catch (...) {
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        throw;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return names;
}

}  // namespace quillmere::odbc
