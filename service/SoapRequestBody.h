#pragma once
// A SOAP request body made piece by piece as the transport sends it: the
// text before a bytes input, the base64 lines of those bytes read from their
// source as they are needed, then the text after. Only one block of the
// bytes and its base64 text are in memory at a time.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileBytes.h"
#include "service/SoapMessage.h"
#include "service/THTTPReqResp.h"

namespace quillmere {

class SoapRequestBody : public TRequestBody {
  public:
    SoapRequestBody(RequestAround parts, ByteSource& bytes);

    std::uint64_t Size() const override { return size_; }
    void Read(char* buffer, std::size_t count) override;

  private:
    // Encodes the next block of bytes into pending_.
    void Encode();

    RequestAround parts_;
    ByteSource& bytes_;
    std::uint64_t size_ = 0;
    std::uint64_t sent_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::vector<std::uint8_t> block_;
    std::string pending_;  // base64 text not yet sent: pending_[at_..]
    std::size_t at_ = 0;
};

}  // namespace quillmere
