#pragma once
// A local file as a file: URL that a browser (xdg-open, ShellExecute) opens.
#include <string>

namespace quillmere {

// The file: URL of an absolute path, read by its form so that a Windows path
// gives the same URL on any system:
//   C:\Data\Wren & Co.html   -> file:///C:/Data/Wren%20%26%20Co.html
//   \\server\share\a.html    -> file://server/share/a.html
//   /tmp/a b.html            -> file:///tmp/a%20b.html
// In a Windows path "\" and "/" both separate; in a POSIX path "\" is part
// of a name. Every byte of a name but the unreserved characters (letters,
// digits, "-", ".", "_", "~") is percent-encoded, UTF-8 byte by byte.
std::string FileUrl(const std::string& path);

}  // namespace quillmere
