#pragma once
// The entries of the version list cboVersion, in list order: the entry at
// index i stands for version number i + 7.
#include <array>
#include <string_view>

namespace quillmere {

inline constexpr std::array<std::string_view, 16> VersionEntries = {
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
};

// The version number of the entry at `index`.
inline constexpr int VersionNumberOfEntry(int index) {
    return index + 7;
}

}  // namespace quillmere
