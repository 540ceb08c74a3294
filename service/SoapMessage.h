#pragma once
// The SOAP 1.1 message of a call in document style: WriteRequest builds the
// request body, ReadReply turns the reply body into the result or an error.
// Neither needs a network.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "service/SoapTypes.h"

namespace quillmere {

inline constexpr const char* SoapEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";

// The standard base64 text of the bytes with CR LF after every 76 characters,
// also after the last 76 when they end the text.
std::string Base64Lines(std::span<const std::uint8_t> bytes);
// Appends the same text to out.
void AppendBase64Lines(std::string& out, std::span<const std::uint8_t> bytes);
// Length of Base64Lines(bytes) for bytes of this size.
std::size_t Base64LinesSize(std::size_t byteCount);

// The request body of the operation: UTF-8 without byte-order mark, the
// declaration and CR LF, then the envelope with its body and the operation's
// element, with no whitespace between elements and no line break after the
// envelope. An empty value is written as a start and an end tag. inputs hold
// one value per input of the operation, in declaration order.
std::string WriteRequest(const TPortTypeDecl& portType, const TOperationDecl& operation,
                         const std::vector<SoapValue>& inputs);

// The request of WriteRequest split around the content of one input that
// holds bytes: `head` ends with that input's start tag and `tail` begins with
// its end tag, so head + the base64 lines of the bytes + tail is the body
// WriteRequest writes. The bytes in `inputs` at that place are not used.
struct RequestAround {
    std::string head;
    std::string tail;
};
RequestAround WriteRequestAround(const TPortTypeDecl& portType, const TOperationDecl& operation,
                                 const std::vector<SoapValue>& inputs, std::size_t streamedInput);

struct SoapOutput {
    std::string text;  // the element's text content
    std::string xml;   // the element's XML text
};

struct SoapReply {
    std::string result;  // the operation's value (empty when the body is empty)
    // Outputs filled by the first child element of their name, in the
    // operation's output order; outputs without an element are absent.
    std::vector<std::pair<std::string, SoapOutput>> outputs;

    const SoapOutput* Output(std::string_view name) const;
};

// Reads the reply body of the operation. Raises EDOMParseError for a body that
// is not well-formed XML, ESOAPDomConvertError for one that is no usable SOAP
// 1.1 envelope and ERemotableException for a fault or a header entry that must
// be understood.
SoapReply ReadReply(std::string_view body, const TOperationDecl& operation);

}  // namespace quillmere
