#pragma once
// service1: the online service's port type VureDevuAPISoap (its 45 operations
// and the data types they exchange), the transport component that carries
// its calls, and the proxy through which the wizard calls them.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/FileBytes.h"
#include "service/SoapMessage.h"
#include "service/SoapTypes.h"
#include "service/THTTPReqResp.h"

namespace quillmere {

// The service base address built into the program, and the endpoint path.
inline constexpr const char* DefaultServiceBase = "https://www.vuredevu.com";
inline constexpr const char* EndpointPath = "/api/service.asmx";

// The port type, declared once and read-only afterwards.
const TPortTypeDecl& VureDevuAPISoapDecl();

// The transport component: the message converter's settings and the HTTP
// transport, long-lived on the main window.
class THTTPRIO {
  public:
    THTTPReqResp HTTPWebNode1;
};

// The service proxy: every operation of the port type runs as WriteRequest,
// Execute with the operation's SOAP action, ReadReply.
class VureDevuAPISoap {
  public:
    explicit VureDevuAPISoap(THTTPRIO& rio) : rio_(rio) {}

    // The upload: the archive's bytes and a reference; returns the import
    // identifier. Failures are raised (service errors, EAbort).
    std::string SageFile(std::span<const std::uint8_t> buffer, const std::string& reference);
    // The same request with the archive's bytes read from `buffer` while
    // they are sent, so the body never sits in memory whole; a source that
    // fails during the upload fails the call with its error.
    std::string SageFile(ByteSource& buffer, const std::string& reference);

    // Any operation by name: inputs in declaration order (UserName and
    // Password first for all but SageFile).
    SoapReply Call(const std::string& operation, const std::vector<SoapValue>& inputs);

  private:
    THTTPRIO& rio_;
};

// Aims the transport at serviceBase + EndpointPath (dropping any open
// connection) and returns the proxy.
VureDevuAPISoap GetServiceBinding(THTTPRIO& rio,
                                  const std::string& serviceBase = DefaultServiceBase);

}  // namespace quillmere
