#include "ui/console/Console.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "platform/Terminal.h"

namespace quillmere {

namespace {

// The text before the first CR or LF.
std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string ReadTerminalPassword() {
    std::fputs("Sage password: ", stderr);
    std::fflush(stderr);
    const std::string line = ReadLineWithoutEcho();
    std::fputs("\n", stderr);
    return FirstLine(line);
}

}  // namespace

std::string ReadPasswordLine(const std::string& file) {
    if (file == "-") {
        if (StandardInputIsTerminal()) {
            return ReadTerminalPassword();
        }
        std::string line;
        std::getline(std::cin, line);
        return FirstLine(line);
    }
    std::ifstream in(FsPath(file), std::ios::binary);
    std::error_code ec;
    if (std::filesystem::is_directory(FsPath(file), ec)) {
        errno = EISDIR;
        in.close();
    }
    if (!in.is_open()) {
        throw Exception("Cannot read the password file " + file + ": " + std::strerror(errno));
    }
    std::string line;
    std::getline(in, line);
    if (in.bad()) {
        throw Exception("Cannot read the password file " + file);
    }
    return FirstLine(line);
}

}  // namespace quillmere
