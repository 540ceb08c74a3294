#include "service/ServiceProbe.h"

#include <curl/curl.h>

#include <memory>

namespace quillmere {

namespace {

struct Attempt {
    CURLcode code = CURLE_OK;
    std::string error;
    std::string address;
    std::string host;
};

Attempt Connect(const std::string& url, const std::string& caFile, std::chrono::seconds timeout,
                bool verify) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    Attempt attempt;
    if (!curl) {
        attempt.code = CURLE_FAILED_INIT;
        attempt.error = "the transport could not be started";
        return attempt;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeout.count()));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
    if (!caFile.empty()) {
        curl_easy_setopt(c, CURLOPT_CAINFO, caFile.c_str());
    }
    attempt.code = curl_easy_perform(c);
    attempt.error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(attempt.code);
    char* ip = nullptr;
    if (curl_easy_getinfo(c, CURLINFO_PRIMARY_IP, &ip) == CURLE_OK && ip) {
        attempt.address = ip;
    }
    if (CURLU* u = curl_url()) {
        char* host = nullptr;
        if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
            curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
            attempt.host = host;
            curl_free(host);
        }
        curl_url_cleanup(u);
    }
    return attempt;
}

}  // namespace

ServiceProbe ProbeService(const std::string& baseUrl, const std::string& caFile,
                          std::chrono::seconds timeout) {
    ServiceProbe probe;
    probe.tls = baseUrl.rfind("http://", 0) != 0;
    const Attempt verified = Connect(baseUrl, caFile, timeout, true);
    probe.host = verified.host;
    probe.address = verified.address;
    probe.error = verified.error;
    switch (verified.code) {
        case CURLE_OK:
            probe.failedAt = ServiceProbe::Stage::Done;
            return probe;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            probe.failedAt = ServiceProbe::Stage::Resolve;
            return probe;
        default:
            break;
    }
    // The connection failed after the name was resolved: without the
    // certificate's checks a connection that then succeeds shows that TCP
    // and TLS work and that the certificate is what failed.
    const Attempt unverified = Connect(baseUrl, caFile, timeout, false);
    if (unverified.code == CURLE_OK) {
        probe.address = unverified.address;
        probe.failedAt = ServiceProbe::Stage::Certificate;
    } else {
        probe.failedAt = ServiceProbe::Stage::Connect;
    }
    return probe;
}

}  // namespace quillmere
