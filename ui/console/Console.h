#pragma once
// What the command-line front end needs of its terminal and process: whether
// a stream is a terminal, Ctrl-C as the close box, and the password kept out
// of the process's arguments and environment.
#include <string>

#include "platform/Terminal.h"

namespace quillmere {

// The first line of `file` (without its line break), or of standard input
// for "-"; on a terminal it asks for it with echo switched off. Raises
// Exception when the file cannot be read.
std::string ReadPasswordLine(const std::string& file);

}  // namespace quillmere
