#include "support/StandInService.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>

namespace quillmere::test {

namespace {

// tests/standin beside this file's folder.
const std::string StandInDir =
    (std::filesystem::path(__FILE__).parent_path().parent_path() / "standin").string();

}  // namespace

StandInService::StandInService(const std::string& mode, const std::string& san,
                               const std::vector<std::string>& extraArgs) {
    const std::string certs = dir_ / "certs";
    const std::string makeCa =
        "'" + StandInDir + "/make-ca.sh' '" + certs + "' --san '" + san + "'";
    if (std::system(makeCa.c_str()) != 0) {
        throw std::runtime_error("make-ca.sh failed");
    }
    std::filesystem::create_directories(recordDir());

    std::vector<std::string> args = {"python3",      StandInDir + "/standin.py",
                                     "--cert-dir",   certs,
                                     "--record-dir", recordDir(),
                                     "--mode",       mode,
                                     "--mode-file",  dir_ / "mode",
                                     "--body-file",  dir_ / "body"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    // The first line of its output is the port.
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    close(out[0]);
    port_ = std::atoi(line.c_str());
    if (port_ <= 0) {
        throw std::runtime_error("the stand-in service did not start");
    }
}

StandInService::~StandInService() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

std::string StandInService::baseUrl() const {
    return "https://127.0.0.1:" + std::to_string(port_);
}

std::string StandInService::endpoint() const {
    return baseUrl() + "/api/service.asmx";
}

void StandInService::setMode(const std::string& mode) {
    dir_.write("mode", mode + "\n");
}

void StandInService::setReplyBody(const std::string& body) {
    dir_.write("body", body);
    setMode("body");
}

int StandInService::requestCount() const {
    int n = 0;
    while (std::filesystem::exists(recordDir() + "/request-" + std::to_string(n + 1) + ".json")) {
        ++n;
    }
    return n;
}

std::string StandInService::requestHeaders(int n) const {
    return FileText(recordDir() + "/request-" + std::to_string(n) + ".headers");
}

std::string StandInService::requestBody(int n) const {
    return FileText(recordDir() + "/request-" + std::to_string(n) + ".body");
}

int StandInService::clientPort(int n) const {
    const std::string json = FileText(recordDir() + "/request-" + std::to_string(n) + ".json");
    std::smatch m;
    if (!std::regex_search(json, m, std::regex("\"client_port\": (\\d+)"))) {
        return 0;
    }
    return std::stoi(m[1]);
}

}  // namespace quillmere::test
