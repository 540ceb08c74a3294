#pragma once
#include "platform/System.h"

namespace quillmere {

// The user's regional settings. On POSIX: LC_ALL, else LC_TIME / LC_NUMERIC,
// else LANG; en_GB when none is set. On Windows: the user's locale (GetLocaleInfoEx).
RegionalSettings RegionalSettingsFromEnvironment();

}  // namespace quillmere
