#pragma once
// Errors of the service client. EAbort (platform/Exceptions.h) is the silent
// abort that the transport raises when a call is given up without a message.
#include <string>
#include <utility>

#include "platform/Exceptions.h"

namespace quillmere {

// A transport failure: an address that is not http or https, a failure of the
// network or TLS layer (status code 0), an HTTP status of 300 or more other
// than 500, or a reply of the wrong content type.
class ESOAPHTTPException : public Exception {
  public:
    explicit ESOAPHTTPException(const std::string& text, int statusCode = 0)
        : Exception(text), statusCode_(statusCode) {}
    int StatusCode() const { return statusCode_; }

  private:
    int statusCode_;
};

// A SOAP fault of the service, or a header entry that had to be understood.
// The message is the fault string.
class ERemotableException : public Exception {
  public:
    ERemotableException(const std::string& faultString, std::string faultCode = {},
                        std::string faultActor = {}, std::string faultDetail = {})
        : Exception(faultString),
          faultCode_(std::move(faultCode)),
          faultActor_(std::move(faultActor)),
          faultDetail_(std::move(faultDetail)) {}
    const std::string& FaultCode() const { return faultCode_; }
    const std::string& FaultActor() const { return faultActor_; }
    // The XML text of the fault's detail element (empty when it has none).
    const std::string& FaultDetail() const { return faultDetail_; }

  private:
    std::string faultCode_;
    std::string faultActor_;
    std::string faultDetail_;
};

// A reply that is well-formed XML but no usable SOAP envelope.
class ESOAPDomConvertError : public Exception {
  public:
    using Exception::Exception;
};

// A reply that is not well-formed XML; the text is the parser's.
class EDOMParseError : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace quillmere
