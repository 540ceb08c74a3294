#pragma once
// A connection to the service made only to see that it can be made: the
// address resolves, TCP and TLS connect, and the certificate is valid for the
// host. Nothing is sent over it.
#include <chrono>
#include <string>

namespace quillmere {

struct ServiceProbe {
    // How far the connection got, in order.
    enum class Stage { Resolve, Connect, Certificate, Done };
    Stage failedAt = Stage::Done;
    std::string host;
    std::string address;  // the IP address connected to, when it got that far
    std::string error;    // the transport's text for the failure
    bool tls = true;      // false for an http:// address
};

// Probes the service at its base address (scheme, host, port), trusting
// `caFile` as well as the system's CAs when it is given, as the upload does.
ServiceProbe ProbeService(const std::string& baseUrl, const std::string& caFile,
                          std::chrono::seconds timeout = std::chrono::seconds(15));

}  // namespace quillmere
