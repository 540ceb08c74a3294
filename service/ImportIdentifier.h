#pragma once
// The import identifier that SageFile answers, checked before it is trusted:
// it decides whether the archive is deleted and becomes part of the import
// page's address, the last line the command line prints.
#include <optional>
#include <string>
#include <string_view>

namespace quillmere {

// Longest identifier taken from the service.
inline constexpr std::size_t MaxImportIdentifierLength = 256;

// Why `identifier` cannot be an import identifier (empty, blank, blanks around
// it, longer than MaxImportIdentifierLength, or a control character), or
// nothing when it can.
std::optional<std::string> ImportIdentifierProblem(std::string_view identifier);

// The identifier as a URL query value: every byte but the unreserved
// characters (letters, digits, "-", ".", "_", "~") percent-encoded.
std::string PercentEncoded(std::string_view text);

}  // namespace quillmere
