#include "SageHarness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/FakeSystem.h"

namespace quillmere::test {

namespace {

[[noreturn]] void Abandon(const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::fflush(stderr);
    std::exit(1);
}

// Points unixODBC at the fixture's data sources before any test runs.
class HarnessEnvironment : public ::testing::Environment {
  public:
    // A harness that is not there fails the whole program: GoogleTest would
    // report every case of a failed environment as skipped, and ctest counts
    // a skipped case as no failure.
    void SetUp() override {
        const std::string dir = HarnessDir();
        if (!std::ifstream(dir + "/odbc.ini").good()) {
            Abandon("the Sage harness is not running: no " + dir +
                    "/odbc.ini (run the test through ctest, which starts the sage_db fixture)");
        }
#ifdef _WIN32
        // Under Wine the driver manager reads the environment that the
        // program started with: ctest gives it ODBCSYSINI, whose odbcinst.ini
        // names the driver of the program's own bitness (a 32-bit program
        // loads the i386 one, in the harness's i386/).
        const std::string expected = sizeof(void*) == 4 ? dir + "/i386" : dir;
        const char* sysIni = std::getenv("ODBCSYSINI");
        if (!sysIni || expected != sysIni) {
            Abandon("ODBCSYSINI is " + std::string(sysIni ? sysIni : "not set") +
                    ", not " + expected);
        }
#else
        ::setenv("ODBCSYSINI", dir.c_str(), 1);
        ::setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
#endif
    }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new HarnessEnvironment);

}  // namespace

std::string HarnessDir() {
    if (const char* dir = std::getenv("SAGE_HARNESS_DIR")) {
        return dir;
    }
    return SAGE_HARNESS_DIR;
}

std::string HarnessInfo(const std::string& key) {
    std::ifstream in(HarnessDir() + "/info");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

std::unique_ptr<TSageObject> LoggedInSage() {
    auto sage = std::make_unique<TSageObject>(17);
    sage->Settings = BritishSettings();
    sage->Login("/nowhere/ACCDATA", SageUser, SagePassword);
    return sage;
}

}  // namespace quillmere::test
