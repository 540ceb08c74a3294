// Sends one file as SageFile through the program's service client, as the
// wizard does (the file read while it is sent), and reports the identifier,
// the time and the peak memory.
//   service-upload --service-url URL [--ca-file FILE] [--reference TEXT] FILE
//   service-upload --dump-body OUT FILE    writes the request body only
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/FileBytes.h"
#include "service/ServiceErrors.h"
#include "service/SoapMessage.h"
#include "service/service1.h"

using namespace quillmere;

namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    std::string url = DefaultServiceBase;
    std::string caFile;
    std::string reference = "vuzaruv";
    std::string dumpBody;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (arg == "--service-url") {
            url = next();
        } else if (arg == "--ca-file") {
            caFile = next();
        } else if (arg == "--reference") {
            reference = next();
        } else if (arg == "--dump-body") {
            dumpBody = next();
        } else {
            file = arg;
        }
    }
    if (file.empty()) {
        std::cerr << "usage: service-upload [--service-url URL] [--ca-file FILE] [--reference "
                     "TEXT] [--dump-body OUT] FILE\n";
        return 2;
    }
    try {
        if (!dumpBody.empty()) {
            const std::vector<std::uint8_t> archive = ReadAll(file);
            const TPortTypeDecl& port = VureDevuAPISoapDecl();
            const std::string body =
                WriteRequest(port, *port.FindOperation("SageFile"),
                             {SoapValue::Bytes(archive), SoapValue::Text(reference)});
            std::ofstream(dumpBody, std::ios::binary)
                .write(body.data(), static_cast<std::streamsize>(body.size()));
            return 0;
        }
        const auto start = std::chrono::steady_clock::now();
        THTTPRIO rio;
        rio.HTTPWebNode1.CAFile = caFile;
        VureDevuAPISoap proxy = GetServiceBinding(rio, url);
        FileBytes archive(file);
        const std::string id = proxy.SageFile(archive, reference);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::cout << "identifier: " << id << "\n"
                  << "seconds: " << took.count() << "\n"
                  << "peak_rss_kb: " << usage.ru_maxrss << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "service-upload: " << e.what() << "\n";
        return 1;
    }
}
