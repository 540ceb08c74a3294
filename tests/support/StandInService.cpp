#include "support/StandInService.h"

#include <filesystem>
#include <fstream>
#include <regex>

namespace quillmere::test {

StandInService::StandInService(const std::string& mode, const std::string& san,
                               const std::vector<std::string>& extraArgs) {
    start(mode, san, extraArgs);
}

StandInService::~StandInService() {
    stop();
}

std::string StandInService::baseUrl() const {
    return std::string("https://") + Host + ":" + std::to_string(port_);
}

std::string StandInService::endpoint() const {
    return baseUrl() + "/api/service.asmx";
}

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

void StandInService::setMode(const std::string& mode) {
    WriteFile(dir_ + "/mode", mode + "\n");
}

void StandInService::setReplyBody(const std::string& body) {
    WriteFile(dir_ + "/body", body);
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
