#include "support/Command.h"

#include <sys/wait.h>

#include <cstdio>
#include <stdexcept>

namespace quillmere::test {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string RunCommand(const std::string& command, int* status) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        throw std::runtime_error("cannot run " + command);
    }
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    const int rc = ::pclose(pipe);
    if (status) {
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    return out;
}

}  // namespace quillmere::test
