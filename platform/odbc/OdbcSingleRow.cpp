#include "platform/odbc/OdbcSingleRow.h"

#include "platform/odbc/OdbcApi.h"

#include <iterator>

#include "platform/CodePage.h"

namespace quillmere::odbc {

namespace {

// Frees the statement on every path.
struct Statement {
    SQLHSTMT handle = nullptr;
    ~Statement() {
        if (handle) {
            SQLFreeHandle(SQL_HANDLE_STMT, handle);
        }
    }
};

}  // namespace

std::vector<SingleValue> SingleRow(Connection& connection, const std::string& sql) {
    if (!connection.Connected()) {
        throw Exception("Operation is not allowed when the connection is closed");
    }
    Statement stmt;
    CheckSourceCall(connection, SQLAllocHandle(SQL_HANDLE_STMT, connection.Handle(), &stmt.handle),
                    SQL_HANDLE_DBC, connection.Handle(), "SQLAllocHandle");
    std::u16string text = Utf16FromUtf8(sql);
    CheckSourceCall(connection,
                    SQLExecDirectW(stmt.handle, reinterpret_cast<SQLWCHAR*>(text.data()),
                                   static_cast<SQLINTEGER>(text.size())),
                    SQL_HANDLE_STMT, stmt.handle, "SQLExecDirect");
    SQLSMALLINT columns = 0;
    Check(SQLNumResultCols(stmt.handle, &columns), SQL_HANDLE_STMT, stmt.handle,
          "SQLNumResultCols");
    const SQLRETURN fetched = SQLFetch(stmt.handle);
    if (fetched == SQL_NO_DATA || columns == 0) {
        throw Exception("The statement returned no row: " + sql);
    }
    CheckSourceCall(connection, fetched, SQL_HANDLE_STMT, stmt.handle, "SQLFetch");
    std::vector<SingleValue> row;
    for (SQLUSMALLINT col = 1; col <= static_cast<SQLUSMALLINT>(columns); ++col) {
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0;
        Check(SQLDescribeColW(stmt.handle, col, name, SQLSMALLINT(std::size(name)), &nameLength,
                              &type, &size, &digits, &nullable),
              SQL_HANDLE_STMT, stmt.handle, "SQLDescribeCol");
        SingleValue value;
        value.floating = type == SQL_REAL || type == SQL_FLOAT || type == SQL_DOUBLE;
        char buffer[256];
        SQLLEN indicator = 0;
        CheckSourceCall(connection,
                        SQLGetData(stmt.handle, col, SQL_C_CHAR, buffer, sizeof buffer, &indicator),
                        SQL_HANDLE_STMT, stmt.handle, "SQLGetData");
        if (indicator != SQL_NULL_DATA) {
            value.text = std::string(buffer);
        }
        row.push_back(std::move(value));
    }
    return row;
}

}  // namespace quillmere::odbc
