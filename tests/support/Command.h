#pragma once
// Running the independent tools that tests check the program's output with
// (python3, unzip, zipinfo) through the shell.
#include <string>

namespace quillmere::test {

// Runs a shell command; returns its standard output and sets `status` to the
// exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);

// The shell-quoted form of `text`.
std::string ShellQuote(const std::string& text);

}  // namespace quillmere::test
