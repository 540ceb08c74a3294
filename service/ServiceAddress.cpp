#include "service/ServiceAddress.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace quillmere {

namespace {

std::string Part(CURLU* url, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, 0) != CURLUE_OK || value == nullptr) {
        return {};
    }
    std::string text = value;
    curl_free(value);
    return text;
}

bool IsLoopback(const std::string& host) {
    return host == "localhost" || host == "[::1]" || host.rfind("127.", 0) == 0;
}

}  // namespace

std::optional<std::string> ServiceAddressProblem(const std::string& base) {
    CURLU* url = curl_url();
    if (url == nullptr) {
        return "out of memory";
    }
    const CURLUcode parsed =
        curl_url_set(url, CURLUPART_URL, base.c_str(), CURLU_NON_SUPPORT_SCHEME);
    const std::string scheme = parsed == CURLUE_OK ? Part(url, CURLUPART_SCHEME) : "";
    const std::string host = parsed == CURLUE_OK ? Part(url, CURLUPART_HOST) : "";
    curl_url_cleanup(url);
    if (parsed == CURLUE_BAD_PORT_NUMBER) {
        return "\"" + base + "\" has no usable port number";
    }
    if (parsed != CURLUE_OK || host.empty()) {
        return "\"" + base + "\" is not an address with a host (such as https://host:port)";
    }
    if (scheme == "http") {
        if (!IsLoopback(host)) {
            return "\"" + base +
                   "\" would send the ledgers in clear text; use https (http is only for the "
                   "loopback host 127.0.0.1)";
        }
    } else if (scheme != "https") {
        return "\"" + base + "\" is not an https address";
    }
    return std::nullopt;
}

std::optional<std::string> CaFileProblem(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return path + " is a directory";
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return "cannot read " + path + ": " + std::strerror(errno);
    }
    // A file without a certificate (a key, a DER file, the wrong file) would
    // be found only at the upload, after the whole export: look now. A CA
    // file is small; a megabyte is more than any bundle in use.
    std::string text(1 << 20, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    const std::size_t begin = text.find("-----BEGIN CERTIFICATE-----");
    if (begin == std::string::npos ||
        text.find("-----END CERTIFICATE-----", begin) == std::string::npos) {
        return path +
               " holds no certificate (a PEM file with -----BEGIN CERTIFICATE----- is "
               "needed)";
    }
    return std::nullopt;
}

}  // namespace quillmere
