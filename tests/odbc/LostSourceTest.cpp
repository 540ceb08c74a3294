// A data source that goes away while a query runs: whichever call of the
// query meets the loss (its open, the count of its records, a fetch of a
// block, a fetch of a single record, a single-row statement) fails with an
// error that says the connection to the data source was lost, and the query
// and the connection can still be closed.
//
// The loss is the server ending the session of the query's connection
// (pg_terminate_backend, as a server that shuts down does), at a point the
// case chooses. The session is ended while the server is idle between two
// requests, so the driver meets the loss at the start of its next request.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "SageHarness.h"
#include "platform/odbc/OdbcConnection.h"
#include "platform/odbc/OdbcQuery.h"
#include "platform/odbc/OdbcSingleRow.h"

namespace quillmere {
namespace {

const std::string LostText = "The connection to the data source was lost\n";

std::unique_ptr<odbc::Connection> Connect() {
    auto connection = std::make_unique<odbc::Connection>();
    connection->SetConnectionString(std::string("DSN=SageLine50v17;UID=") + test::SageUser +
                                    ";PWD=" + test::SagePassword);
    connection->Open();
    return connection;
}

std::int64_t Number(odbc::Connection& connection, const std::string& sql) {
    odbc::Query query(connection);
    query.SetSql(sql);
    query.Open();
    return query.AsInt64(0);
}

// Ends the server session `pid` from another session of the same login and
// waits until the server no longer lists it.
void EndSession(std::int64_t pid) {
    auto other = Connect();
    const std::string id = std::to_string(pid);
    ASSERT_EQ(Number(*other, "SELECT pg_terminate_backend(" + id + ")::int"), 1);
    for (int i = 0; i < 500; ++i) {
        if (Number(*other, "SELECT count(*) FROM pg_stat_activity WHERE pid = " + id) == 0) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    FAIL() << "session " << id << " did not end";
}

enum class Loss {
    BeforeOpen,  // the session ends before the query is opened
    InSql,       // the query's own text ends the session (see the case)
    AfterOpen,   // the session ends after a few records were read
    SingleRow,   // the session ends before odbc::SingleRow runs the text
};

struct Case {
    const char* phase;
    Loss loss;
    const char* sql;
};

// The driver reads a result through a server cursor, 10,000 records a
// request: the first request comes with the open, the next after 10,000
// records. A result of more records than that makes every block and record
// fetch past them a request to the server.
const Case Cases[] = {
    {"the open", Loss::BeforeOpen, "SELECT n FROM generate_series(1, 100) AS n"},
    // The open reads the first 10,000 records, which pass the condition on
    // its left; the record count reads them all and ends the session at
    // the 10,001st.
    {"the record count", Loss::InSql,
     "SELECT n FROM generate_series(1, 10001) AS n "
     "WHERE n <= 10000 OR pg_terminate_backend(pg_backend_pid())"},
    {"a fetch of a block of records", Loss::AfterOpen,
     "SELECT n, 'record ' || n AS label FROM generate_series(1, 25000) AS n"},
    // A column of unbounded text: the query reads record by record.
    {"a fetch of a single record", Loss::AfterOpen,
     "SELECT n, repeat('x', n % 7)::text AS memo FROM generate_series(1, 25000) AS n"},
    {"a single-row statement", Loss::SingleRow, "SELECT count(*) FROM generate_series(1, 10)"},
};

TEST(LostSource, EveryPhaseOfAQuerySaysTheConnectionWasLost) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.phase);
        auto connection = Connect();
        const std::int64_t pid = Number(*connection, "SELECT pg_backend_pid()");
        odbc::Query query(*connection);
        query.SetSql(c.sql);
        std::string error;
        long long read = 0;
        try {
            if (c.loss == Loss::BeforeOpen || c.loss == Loss::SingleRow) {
                EndSession(pid);
            }
            if (c.loss == Loss::SingleRow) {
                odbc::SingleRow(*connection, c.sql);
            }
            query.Open();
            for (; !query.Eof() && read < 100000; query.Next()) {
                if (++read == 10 && c.loss == Loss::AfterOpen) {
                    EndSession(pid);
                }
            }
        } catch (const odbc::EOdbcError& e) {
            error = e.what();
        }
        EXPECT_EQ(error.substr(0, LostText.size()), LostText) << "error: " << error;
        // The driver's own text follows.
        EXPECT_GT(error.size(), LostText.size());
        EXPECT_TRUE(connection->Lost());
        if (c.loss == Loss::AfterOpen) {
            // Records up to the driver's next request to the server were read.
            EXPECT_GE(read, 10000);
        }
        query.Close();
        EXPECT_FALSE(query.Active());
        connection->Close();
    }
    EXPECT_EQ(odbc::Query::OpenStatements(), 0);
}

}  // namespace
}  // namespace quillmere
