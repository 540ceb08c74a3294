#include "service/SoapMessage.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <memory>
#include <optional>
#include <stdexcept>

#include "service/ServiceErrors.h"

namespace quillmere {

namespace {

constexpr std::size_t Base64LineLength = 76;

// ---- writing ---------------------------------------------------------------

void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\r':
                // kept as a character reference so that a parser does not fold it
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
}

void AppendElement(std::string& out, const TPortTypeDecl& portType, std::string_view name,
                   std::string_view type, const SoapValue& value);

void AppendContent(std::string& out, const TPortTypeDecl& portType, std::string_view type,
                   const SoapValue& value) {
    switch (value.kind) {
        case SoapValue::Kind::Text:
            AppendEscaped(out, value.text);
            return;
        case SoapValue::Kind::Bytes:
            AppendBase64Lines(out, value.bytes);
            return;
        case SoapValue::Kind::List: {
            // Items are elements named after their type; a structure whose
            // list member is inline (ArrayOfAnyType) takes the items as that
            // member's elements.
            const TTypeDecl* decl = portType.FindType(type);
            std::string itemName;
            std::string itemType;
            if (decl != nullptr && decl->IsList()) {
                itemName = itemType = decl->itemType;
            } else if (decl != nullptr && decl->inlineList && !decl->members.empty()) {
                itemName = decl->members.front().messageName;
            } else {
                throw std::invalid_argument("no list type " + std::string(type));
            }
            for (const SoapValue& item : value.items) {
                AppendElement(out, portType, itemName, itemType, item);
            }
            return;
        }
        case SoapValue::Kind::Struct: {
            const TTypeDecl* decl = portType.FindType(type);
            if (decl == nullptr || decl->IsList()) {
                throw std::invalid_argument("no structure type " + std::string(type));
            }
            // Members in declaration order, under their message names.
            for (const TMemberDecl& member : decl->members) {
                const auto found =
                    std::find_if(value.members.begin(), value.members.end(),
                                 [&](const auto& m) { return m.first == member.name; });
                if (found == value.members.end()) {
                    continue;
                }
                if (decl->inlineList && found->second.kind == SoapValue::Kind::List) {
                    for (const SoapValue& item : found->second.items) {
                        AppendElement(out, portType, member.messageName, "", item);
                    }
                } else {
                    AppendElement(out, portType, member.messageName, member.type, found->second);
                }
            }
            return;
        }
    }
}

void AppendElement(std::string& out, const TPortTypeDecl& portType, std::string_view name,
                   std::string_view type, const SoapValue& value) {
    out += '<';
    out += name;
    out += '>';
    AppendContent(out, portType, type, value);
    out += "</";
    out += name;
    out += '>';
}

// ---- reading ---------------------------------------------------------------

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

std::string TrimLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

std::string LocalName(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->name);
}

std::string NamespaceOf(const xmlNode* node) {
    return node->ns != nullptr && node->ns->href != nullptr
               ? reinterpret_cast<const char*>(node->ns->href)
               : "";
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string TextContent(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

// The element's XML text on its own: copied into a document of its own first,
// so that namespace declarations it inherits are written on it.
std::string NodeXml(const xmlNode* node) {
    DocPtr doc(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    xmlNode* copy = xmlDocCopyNode(const_cast<xmlNode*>(node), doc.get(), 1);
    if (copy == nullptr) {
        return {};
    }
    xmlDocSetRootElement(doc.get(), copy);
    xmlBuffer* buffer = xmlBufferCreate();
    xmlNodeDump(buffer, doc.get(), copy, 0, 0);
    std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                     static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return text;
}

std::vector<xmlNode*> ChildElements(const xmlNode* node) {
    std::vector<xmlNode*> elements;
    for (xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            elements.push_back(child);
        }
    }
    return elements;
}

// The first error the parser reports: xmlGetLastError would give the last
// one only, and nothing at all for an empty input.
struct ParseErrors {
    std::string first;
    static void Collect(void* user, xmlErrorPtr error) {
        auto* self = static_cast<ParseErrors*>(user);
        if (error != nullptr && error->level >= XML_ERR_ERROR && self->first.empty()) {
            self->first = TrimLineEnd(error->message != nullptr ? error->message : "");
            if (self->first.empty()) {
                self->first = "XML error " + std::to_string(error->code);
            }
        }
    }
};

DocPtr Parse(std::string_view body) {
    if (body.size() > static_cast<std::size_t>(INT_MAX)) {
        throw EDOMParseError("Reply too large");
    }
    ParseErrors errors;
    xmlSetStructuredErrorFunc(&errors, &ParseErrors::Collect);
    DocPtr doc(xmlReadMemory(body.data(), static_cast<int>(body.size()), nullptr, nullptr,
                             XML_PARSE_NONET));
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    // A document with an error (an undeclared prefix, say) is not used either.
    if (doc == nullptr || !errors.first.empty()) {
        throw EDOMParseError(errors.first.empty() ? "Document is empty" : errors.first);
    }
    if (xmlDocGetRootElement(doc.get()) == nullptr) {
        throw EDOMParseError("Document is empty");
    }
    // SOAP messages carry no document type declaration; its entities could
    // make a short reply expand without bound.
    if (doc->intSubset != nullptr || doc->extSubset != nullptr) {
        throw EDOMParseError("A SOAP message must not contain a Document Type Declaration");
    }
    return doc;
}

void CheckHeader(const xmlNode* header) {
    for (const xmlNode* entry : ChildElements(header)) {
        for (const xmlAttr* attr = entry->properties; attr != nullptr; attr = attr->next) {
            // Recognised with or without a namespace prefix.
            if (std::string_view(reinterpret_cast<const char*>(attr->name)) != "mustUnderstand") {
                continue;
            }
            const std::string value = TextContent(reinterpret_cast<const xmlNode*>(attr));
            if (value == "1" || EqualsIgnoringCase(value, "true")) {
                throw ERemotableException("Soap header " + LocalName(entry) +
                                              " with attribute 'mustUnderstand' set to true was "
                                              "not handled",
                                          "MustUnderstand");
            }
        }
    }
}

[[noreturn]] void RaiseFault(const xmlNode* fault) {
    const xmlNode* code = nullptr;
    const xmlNode* text = nullptr;
    const xmlNode* actor = nullptr;
    const xmlNode* detail = nullptr;
    for (const xmlNode* child : ChildElements(fault)) {
        const std::string name = LocalName(child);
        if (EqualsIgnoringCase(name, "faultcode") && code == nullptr) {
            code = child;
        } else if (EqualsIgnoringCase(name, "faultstring") && text == nullptr) {
            text = child;
        } else if (EqualsIgnoringCase(name, "faultactor") && actor == nullptr) {
            actor = child;
        } else if (EqualsIgnoringCase(name, "detail") && detail == nullptr) {
            detail = child;
        }
    }
    throw ERemotableException(
        text != nullptr ? TextContent(text) : "", code != nullptr ? TextContent(code) : "",
        actor != nullptr ? TextContent(actor) : "", detail != nullptr ? NodeXml(detail) : "");
}

SoapReply ReadBody(const xmlNode* body, const TOperationDecl& operation) {
    SoapReply reply;
    // A body without a reply element gives the empty result.
    const std::vector<xmlNode*> bodyElements = ChildElements(body);
    if (bodyElements.empty()) {
        return reply;
    }
    const xmlNode* element = bodyElements.front();
    if (LocalName(element) == "Fault") {
        RaiseFault(element);
    }
    const std::vector<xmlNode*> children = ChildElements(element);
    if (operation.returnType != nullptr) {
        const xmlNode* result = nullptr;
        if (children.size() == 1) {
            result = children.front();
        } else {
            for (const xmlNode* child : children) {
                const std::string name = LocalName(child);
                if (EqualsIgnoringCase(name, "Result") || EqualsIgnoringCase(name, "Return")) {
                    result = child;
                    break;
                }
            }
        }
        if (result == nullptr) {
            throw ESOAPDomConvertError(
                "SOAP Response Packet: result element expected, received \"" + NodeXml(element) +
                "\"");
        }
        reply.result = TextContent(result);
    }
    for (const TParamDecl& output : operation.outputs) {
        for (const xmlNode* child : children) {
            if (LocalName(child) == output.name) {
                reply.outputs.emplace_back(output.name,
                                           SoapOutput{TextContent(child), NodeXml(child)});
                break;
            }
        }
    }
    return reply;
}

}  // namespace

std::size_t Base64LinesSize(std::size_t byteCount) {
    const std::size_t chars = (byteCount + 2) / 3 * 4;
    return chars + chars / Base64LineLength * 2;
}

void AppendBase64Lines(std::string& out, std::span<const std::uint8_t> bytes) {
    static constexpr char Digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    out.reserve(out.size() + Base64LinesSize(bytes.size()));
    std::size_t column = 0;
    const auto put = [&](char c) {
        out += c;
        if (++column == Base64LineLength) {
            out += "\r\n";
            column = 0;
        }
    };
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        put(Digits[(v >> 18) & 63]);
        put(Digits[(v >> 12) & 63]);
        put(Digits[(v >> 6) & 63]);
        put(Digits[v & 63]);
    }
    if (const std::size_t rest = bytes.size() - i; rest > 0) {
        const std::uint32_t v = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
        put(Digits[(v >> 18) & 63]);
        put(Digits[(v >> 12) & 63]);
        put(rest == 2 ? Digits[(v >> 6) & 63] : '=');
        put('=');
    }
}

std::string Base64Lines(std::span<const std::uint8_t> bytes) {
    std::string out;
    AppendBase64Lines(out, bytes);
    return out;
}

namespace {

// The request body; with `streamed` set, the content of that input (bytes)
// is left out and `*split` is where it belongs.
std::string WriteRequestText(const TPortTypeDecl& portType, const TOperationDecl& operation,
                             const std::vector<SoapValue>& inputs,
                             std::optional<std::size_t> streamed, std::size_t* split) {
    if (inputs.size() != operation.inputs.size()) {
        throw std::invalid_argument(std::string(operation.name) + " takes " +
                                    std::to_string(operation.inputs.size()) + " inputs");
    }
    static constexpr std::string_view Head =
        "<?xml version=\"1.0\"?>\r\n"
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
        "<SOAP-ENV:Body>";
    static constexpr std::string_view Tail = "</SOAP-ENV:Body></SOAP-ENV:Envelope>";

    // One allocation for the whole body: the base64 text of byte values is
    // counted in before anything is written.
    std::size_t size = Head.size() + Tail.size() + 256;
    for (const SoapValue& value : inputs) {
        size += value.kind == SoapValue::Kind::Bytes ? Base64LinesSize(value.bytes.size())
                                                     : value.text.size() * 6;
    }
    std::string out;
    out.reserve(size);
    out += Head;
    out += '<';
    out += operation.name;
    out += " xmlns=\"";
    AppendEscaped(out, portType.nameSpace);
    out += "\">";
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (streamed == i) {
            const std::string& name = operation.inputs[i].name;
            out += '<' + name + '>';
            *split = out.size();
            out += "</" + name + '>';
            continue;
        }
        AppendElement(out, portType, operation.inputs[i].name, operation.inputs[i].type, inputs[i]);
    }
    out += "</";
    out += operation.name;
    out += '>';
    out += Tail;
    return out;
}

}  // namespace

std::string WriteRequest(const TPortTypeDecl& portType, const TOperationDecl& operation,
                         const std::vector<SoapValue>& inputs) {
    return WriteRequestText(portType, operation, inputs, std::nullopt, nullptr);
}

RequestAround WriteRequestAround(const TPortTypeDecl& portType, const TOperationDecl& operation,
                                 const std::vector<SoapValue>& inputs, std::size_t streamedInput) {
    if (streamedInput >= inputs.size() || inputs[streamedInput].kind != SoapValue::Kind::Bytes) {
        throw std::invalid_argument(std::string(operation.name) + ": input " +
                                    std::to_string(streamedInput) + " takes no bytes");
    }
    std::size_t split = 0;
    std::string text = WriteRequestText(portType, operation, inputs, streamedInput, &split);
    return {text.substr(0, split), text.substr(split)};
}

const SoapOutput* SoapReply::Output(std::string_view name) const {
    for (const auto& [outputName, value] : outputs) {
        if (outputName == name) {
            return &value;
        }
    }
    return nullptr;
}

SoapReply ReadReply(std::string_view body, const TOperationDecl& operation) {
    const DocPtr doc = Parse(body);
    const xmlNode* envelope = xmlDocGetRootElement(doc.get());
    if (LocalName(envelope) != "Envelope" || NamespaceOf(envelope) != SoapEnvelopeNamespace) {
        throw ESOAPDomConvertError(std::string("DocumentElement ") + SoapEnvelopeNamespace +
                                   ":Envelope expected, " + NamespaceOf(envelope) + ":" +
                                   LocalName(envelope) + " found");
    }
    if (envelope->children == nullptr) {
        throw ESOAPDomConvertError("Invalid SOAP request");
    }
    bool headerSeen = false;
    bool bodySeen = false;
    SoapReply reply;
    for (const xmlNode* child : ChildElements(envelope)) {
        const std::string name = LocalName(child);
        if (name == "Header") {
            if (headerSeen) {
                throw ESOAPDomConvertError("Invalid SOAP response");
            }
            headerSeen = true;
            CheckHeader(child);
        } else if (name == "Body") {
            if (bodySeen) {
                throw ESOAPDomConvertError("Invalid SOAP response");
            }
            bodySeen = true;
            reply = ReadBody(child, operation);
        }
    }
    // An envelope without a body carries no answer at all; an empty result
    // here would pass for an answer.
    if (!bodySeen) {
        throw ESOAPDomConvertError("Invalid SOAP response");
    }
    return reply;
}

}  // namespace quillmere
