#pragma once
// A connection to an ODBC data source through the driver manager. It owns
// its environment and connection handles; releasing it closes it. The driver
// is never allowed to prompt: a missing or wrong attribute fails the open.
#include "platform/odbc/OdbcApi.h"

#include <string>

#include "platform/Exceptions.h"

namespace quillmere::odbc {

// A failure reported by the driver manager or the driver; the text is the
// diagnostic text of the failing call (records joined by line breaks, each
// without its trailing line break).
class EOdbcError : public Exception {
  public:
    EOdbcError(const std::string& text, std::string sqlState)
        : Exception(text), sqlState_(std::move(sqlState)) {}
    // The SQLSTATE of the first diagnostic record ("28P01", "IM002", ...).
    const std::string& sqlState() const { return sqlState_; }

  private:
    std::string sqlState_;
};

// Raises EOdbcError for a failed call on `handle`, with its diagnostics.
// SQL_SUCCESS, SQL_SUCCESS_WITH_INFO and SQL_NO_DATA pass.
void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what);

class Connection {
  public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The ODBC connection string (UTF-8), e.g. "DSN=x;UID=y;PWD=z".
    void SetConnectionString(std::string text) { connectionString_ = std::move(text); }
    const std::string& ConnectionString() const { return connectionString_; }

    // Seconds the driver may take to log in; 0 waits as long as it takes.
    void SetLoginTimeout(int seconds) { loginTimeout_ = seconds; }
    int LoginTimeout() const { return loginTimeout_; }

    // Opens the connection, read-only where the driver allows it. Raises
    // EOdbcError with the driver's text when it cannot be opened; the
    // connection is closed then. Opening an open connection closes it first.
    void Open();
    void Close();
    bool Connected() const { return dbc_ != nullptr; }

    // Whether the driver reports the open connection as gone (the data
    // source stopped or the network broke); false when not connected.
    bool Lost() const;

    // The connection handle; nullptr when not connected.
    SQLHDBC Handle() const { return dbc_; }

  private:
    std::string connectionString_;
    int loginTimeout_ = 15;
    SQLHENV env_ = nullptr;
    SQLHDBC dbc_ = nullptr;
};

// Check() for a call that reaches the data source through `connection`. A
// failure that comes from losing the connection (SQLSTATE class 08, a server
// that is shutting down: 57P01 to 57P03, or a connection the driver now calls
// dead) raises EOdbcError "The connection to the data source was lost"
// followed by the driver's text.
void CheckSourceCall(const Connection& connection, SQLRETURN rc, SQLSMALLINT handleType,
                     SQLHANDLE handle, const char* what);

// Whether `error`, raised by a call through `connection`, says the
// connection was lost (as CheckSourceCall tells it).
bool LostConnection(const Connection& connection, const EOdbcError& error);

}  // namespace quillmere::odbc
