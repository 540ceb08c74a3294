#include "platform/odbc/OdbcDataSources.h"

#include "platform/odbc/OdbcApi.h"

#include <algorithm>
#include <iterator>

#include "platform/CodePage.h"
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
        // The wide call: names in UTF-16 on every driver manager (Windows'
        // narrow one would give the ANSI code page).
        SQLWCHAR name[SQL_MAX_DSN_LENGTH + 1];
        SQLWCHAR description[512];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        for (;;) {
            const SQLRETURN rc =
                SQLDataSourcesW(env, direction, name, std::size(name), &nameLength, description,
                                std::size(description), &descriptionLength);
            if (rc == SQL_NO_DATA) {
                break;
            }
            Check(rc, SQL_HANDLE_ENV, env, "SQLDataSources");
            const auto length = static_cast<std::size_t>(
                std::clamp<SQLSMALLINT>(nameLength, 0, SQL_MAX_DSN_LENGTH));
            names.push_back(Utf8FromUtf16(
                std::u16string_view(reinterpret_cast<const char16_t*>(name), length)));
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
