#pragma once
// The Sage stand-in data source of the test fixture (tests/harness): the
// tests reach it through the odbc.ini / odbcinst.ini that the fixture wrote.
#include <string>

#include "sage/TSageObject.h"

namespace quillmere::test {

// The fixture's directory (odbc.ini, odbcinst.ini, info).
std::string HarnessDir();

// A value of the harness's info file ("socket", "port", ...).
std::string HarnessInfo(const std::string& key);

// The logins of the stand-in (SELECT rights only).
inline constexpr const char* SageUser = "manager";
inline constexpr const char* SagePassword = "letmein";
inline constexpr const char* OddUser = "clerk";
inline constexpr const char* OddPassword = "pa;ss{w}rd\"x";

// A TSageObject for version 17, logged in as manager, with en_GB settings.
std::unique_ptr<TSageObject> LoggedInSage();

}  // namespace quillmere::test
