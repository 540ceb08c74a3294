#pragma once
#include "platform/System.h"

namespace quillmere {

// Reads LC_ALL, else LC_TIME / LC_NUMERIC, else LANG; en_GB when none is set.
RegionalSettings RegionalSettingsFromEnvironment();

}  // namespace quillmere
