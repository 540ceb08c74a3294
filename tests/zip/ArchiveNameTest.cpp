#include <gtest/gtest.h>

#include <ctime>

#include "export/ArchiveName.h"

namespace quillmere {
namespace {

std::tm At(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = 59;
    return t;
}

TEST(ArchivePath, IsTheDirectoryTheCompanyWithoutSpacesAndTheStartTime) {
    struct Case {
        std::string dir;
        std::string company;
        std::tm startedAt;
        bool windowsNames;
        std::string path;
    } cases[] = {
        // Blanks around and inside the name all go.
        {"/opt/wizard/", "  Acme Trading Ltd ", At(2016, 2, 3, 9, 5), false,
         "/opt/wizard/AcmeTradingLtd_03022016_0905.zip"},
        // A trailing separator is added when the directory lacks one.
        {"/opt/wizard", "Acme", At(2016, 2, 3, 9, 5), false, "/opt/wizard/Acme_03022016_0905.zip"},
        // An empty or all-blank name leaves "_" right after the directory.
        {"/w/", "", At(2016, 2, 3, 9, 5), false, "/w/_03022016_0905.zip"},
        {"/w/", " \t  ", At(2016, 2, 3, 9, 5), false, "/w/_03022016_0905.zip"},
        // Control characters trimmed at the ends and dropped inside.
        {"/w/", "\t\r\nAcme\x01 Ltd\x7f\n", At(2016, 2, 3, 9, 5), false,
         "/w/AcmeLtd_03022016_0905.zip"},
        // "/" would leave the directory: dropped, also as "..".
        {"/w/", "A/B Trading", At(2016, 2, 3, 9, 5), false, "/w/ABTrading_03022016_0905.zip"},
        {"/w/", "../../etc/x", At(2016, 2, 3, 9, 5), false, "/w/....etcx_03022016_0905.zip"},
        // Other characters pass unchanged, letters beyond ASCII too.
        {"/w/", "Smith & Sons (UK) Ltd.", At(2016, 2, 3, 9, 5), false,
         "/w/Smith&Sons(UK)Ltd._03022016_0905.zip"},
        {"/w/", "Caf\xc3\xa9 \xc2\xa3 Co", At(2016, 2, 3, 9, 5), false,
         "/w/Caf\xc3\xa9\xc2\xa3"
         "Co_03022016_0905.zip"},
        {"/w/", "What? \"Big\" <A|B> C:D*\\E", At(2016, 2, 3, 9, 5), false,
         "/w/What?\"Big\"<A|B>C:D*\\E_03022016_0905.zip"},
        // With Windows names, : * ? " < > | and "\" are dropped as well.
        {"/w/", "What? \"Big\" <A|B> C:D*\\E/F", At(2016, 2, 3, 9, 5), true,
         "/w/WhatBigABCDEF_03022016_0905.zip"},
        // Day, month, hour and minute in two digits, the year in four, 24-hour clock.
        {"/w/", "Acme", At(2025, 12, 31, 23, 59), false, "/w/Acme_31122025_2359.zip"},
        {"/w/", "Acme", At(2000, 1, 1, 0, 0), false, "/w/Acme_01012000_0000.zip"},
        {"/w/", "Acme", At(2016, 10, 9, 12, 30), false, "/w/Acme_09102016_1230.zip"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.company);
        EXPECT_EQ(ArchivePath(c.dir, c.company, c.startedAt, c.windowsNames), c.path);
    }
}

}  // namespace
}  // namespace quillmere
