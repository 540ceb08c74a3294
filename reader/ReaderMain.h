#pragma once
// The program as its own reader process: started with ReaderModeArgument
// alone, it serves the requests of the program that started it (see
// sage/SageReader.h) through its standard input and output until that
// program closes its end, every call to the Sage ODBC driver made here.
#include <optional>
#include <string>
#include <vector>

namespace quillmere {

// When the arguments (the program's name first) ask for the reader: runs
// it and returns its exit code. Otherwise nothing, at once. Every program
// calls it first thing in main, before it makes a window.
std::optional<int> RunReaderIfAsked(const std::vector<std::string>& arguments);
std::optional<int> RunReaderIfAsked(int argc, char** argv);

// The reader's loop. 0 when the program closed its end; 3 when what it sent
// was no request.
int RunReader();

}  // namespace quillmere
