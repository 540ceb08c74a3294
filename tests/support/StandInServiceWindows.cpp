// The stand-in started by tests/standin/launcher.py on this process's behalf:
// a request file in the launcher's spool directory, answered by the port.
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "support/StandInService.h"

namespace quillmere::test {

namespace {

namespace fs = std::filesystem;

// The launcher's spool (a Linux path), seen from Wine on Z:.
std::string Spool() {
    const std::string spool = QUILLMERE_STANDIN_SPOOL;
    return spool[0] == '/' ? "Z:" + spool : spool;
}

// Written whole: the launcher never reads half a request.
void WriteWhole(const std::string& path, const std::string& text) {
    std::ofstream(path + ".part", std::ios::binary | std::ios::trunc) << text;
    fs::rename(path + ".part", path);
}

// Waits for a file the launcher writes; its text, or nothing in time.
bool WaitForFile(const std::string& path, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!fs::exists(path)) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string JsonText(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

void StandInService::start(const std::string& mode, const std::string& san,
                           const std::vector<std::string>& extraArgs) {
    static int started = 0;
    const std::string spool = Spool();
    spoolName_ =
        "standin-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++started);
    dir_ = spool + "/" + spoolName_;
    std::string args;
    for (const std::string& arg : extraArgs) {
        args += (args.empty() ? "" : ", ") + JsonText(arg);
    }
    WriteWhole(spool + "/" + spoolName_ + ".start", "{\"san\": " + JsonText(san) +
                                                        ", \"mode\": " + JsonText(mode) +
                                                        ", \"args\": [" + args + "]}");
    const std::string portFile = spool + "/" + spoolName_ + ".port";
    if (!WaitForFile(portFile, std::chrono::seconds(60))) {
        throw std::runtime_error("the stand-in launcher did not answer (" + portFile + ")");
    }
    const std::string port = FileText(portFile);
    port_ = std::atoi(port.c_str());
    if (port_ <= 0) {
        throw std::runtime_error("the stand-in service did not start: " + port);
    }
}

void StandInService::stop() {
    if (spoolName_.empty()) {
        return;
    }
    const std::string spool = Spool();
    WriteWhole(spool + "/" + spoolName_ + ".stop", "");
    WaitForFile(spool + "/" + spoolName_ + ".stopped", std::chrono::seconds(30));
    std::error_code ec;
    fs::remove_all(dir_, ec);
    for (const char* ext : {".start", ".port", ".stop", ".stopped"}) {
        fs::remove(spool + "/" + spoolName_ + ext, ec);
    }
    spoolName_.clear();
}

}  // namespace quillmere::test
