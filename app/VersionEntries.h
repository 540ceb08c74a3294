#pragma once
// The entries of the version list cboVersion, in list order: the entry at
// index i stands for version number i + 7. After "Sage 50 / Instant 2016"
// (version 22) come the versions released since, 23 (2017) to 32 (2026);
// each entry ends in its year, which the version's default home directory
// takes as its last part.
#include <array>
#include <string_view>

namespace quillmere {

inline constexpr std::array<std::string_view, 26> VersionEntries = {
    "Version 7",
    "Version 8",
    "Version 9",
    "Version 10",
    "Version 11",
    "Version 12",
    "Sage 50 / Instant 2007",
    "Sage 50 / Instant 2008",
    "Sage 50 / Instant 2009",
    "Sage 50 / Instant 2010",
    "Sage 50 / Instant 2011",
    "Sage 50 / Instant 2012",
    "Sage 50 / Instant 2013",
    "Sage 50 / Instant 2014",
    "Sage 50 / Instant 2015",
    "Sage 50 / Instant 2016",
    "Sage 50 Accounts v23 2017",
    "Sage 50 Accounts v24 2018",
    "Sage 50 Accounts v25 2019",
    "Sage 50 Accounts v26 2020",
    "Sage 50 Accounts v27 2021",
    "Sage 50 Accounts v28 2022",
    "Sage 50 Accounts v29 2023",
    "Sage 50 Accounts v30 2024",
    "Sage 50 Accounts v31 2025",
    "Sage 50 Accounts v32 2026",
};

// The version number of the entry at `index`.
inline constexpr int VersionNumberOfEntry(int index) {
    return index + 7;
}

}  // namespace quillmere
