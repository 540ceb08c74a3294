#pragma once
// Checks of the service settings made before anything is exported, so that a
// mistyped option fails at once instead of after the whole export.
#include <optional>
#include <string>

namespace quillmere {

// Why `base` cannot be the service's base address, or nothing when it can: it
// must be an https address (http only to the loopback host, since the
// ledgers would cross the network in clear text) with a host and a port
// that can be used.
std::optional<std::string> ServiceAddressProblem(const std::string& base);

// Why `path` cannot be a CA file (missing, a directory, unreadable, no PEM
// certificate in it), or nothing when it can.
std::optional<std::string> CaFileProblem(const std::string& path);

}  // namespace quillmere
