#include "platform/odbc/OdbcConnection.h"

#include "platform/odbc/OdbcApi.h"

#include "platform/CodePage.h"

namespace quillmere::odbc {

namespace {

std::string DiagnosticText(SQLSMALLINT handleType, SQLHANDLE handle, std::string& state) {
    std::string text;
    for (SQLSMALLINT rec = 1;; ++rec) {
        SQLWCHAR sqlState[6] = {};
        SQLINTEGER nativeError = 0;
        SQLWCHAR message[2048];
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, rec, sqlState, &nativeError,
                                            message, SQLSMALLINT(std::size(message)), &length);
        if (!SQL_SUCCEEDED(rc)) {
            break;
        }
        const std::size_t n = std::min<std::size_t>(length, std::size(message) - 1);
        std::string line =
            Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(message), n));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        if (rec == 1) {
            state =
                Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(sqlState), 5));
        }
        if (!line.empty()) {
            if (!text.empty()) {
                text += '\n';
            }
            text += line;
        }
    }
    return text;
}

}  // namespace

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) {
        return;
    }
    std::string state;
    std::string text = handle ? DiagnosticText(handleType, handle, state) : std::string();
    if (text.empty()) {
        text = std::string("ODBC call ") + what + " failed";
    }
    throw EOdbcError(text, state);
}

void CheckSourceCall(const Connection& connection, SQLRETURN rc, SQLSMALLINT handleType,
                     SQLHANDLE handle, const char* what) {
    try {
        Check(rc, handleType, handle, what);
    } catch (const EOdbcError& e) {
        if (LostConnection(connection, e)) {
            throw EOdbcError(std::string("The connection to the data source was lost\n") + e.what(),
                             e.sqlState());
        }
        throw;
    }
}

bool LostConnection(const Connection& connection, const EOdbcError& error) {
    const std::string& state = error.sqlState();
    return state.rfind("08", 0) == 0 || state.rfind("57P0", 0) == 0 || connection.Lost();
}

Connection::~Connection() {
    Close();
}

void Connection::Open() {
    Close();
    SQLHENV env = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        throw EOdbcError("The ODBC driver manager could not be started", "");
    }
    env_ = env;
    SQLHDBC dbc = nullptr;
    try {
        Check(SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                            0),
              SQL_HANDLE_ENV, env_, "SQLSetEnvAttr");
        Check(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc), SQL_HANDLE_ENV, env_, "SQLAllocHandle");
        Check(SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                                 reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeout_)),
                                 0),
              SQL_HANDLE_DBC, dbc, "SQLSetConnectAttr");
        std::u16string in = Utf16FromUtf8(connectionString_);
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        Check(SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(in.data()),
                                static_cast<SQLSMALLINT>(in.size()), out,
                                SQLSMALLINT(std::size(out)), &outLength, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc, "SQLDriverConnect");
        // The program only reads; a driver that cannot be told so is still
        // kept from writing by the rights of the data source's user.
        SQLSetConnectAttrW(dbc, SQL_ATTR_ACCESS_MODE,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_MODE_READ_ONLY)),
                           0);
    } catch (...) {
        if (dbc) {
            SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        }
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
        env_ = nullptr;
        throw;
    }
    dbc_ = dbc;
}

bool Connection::Lost() const {
    if (!dbc_) {
        return false;
    }
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttrW(dbc_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

void Connection::Close() {
    if (dbc_) {
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        dbc_ = nullptr;
    }
    if (env_) {
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
        env_ = nullptr;
    }
}

}  // namespace quillmere::odbc
