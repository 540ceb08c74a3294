#pragma once
// The declarations a SOAP call is made from: operations with their inputs and
// outputs, structures with their members, list types, and the port type that
// gathers them. They are plain data; service1.cpp holds the one instance for
// the online service.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillmere {

// Simple types: "int", "string", "boolean", "dateTime", "decimal",
// "base64Binary"; any other type name names a structure or list type.
struct TMemberDecl {
    const char* name;         // in code (e.g. "Type_")
    const char* messageName;  // element name in messages (e.g. "Type")
    const char* type;
};

struct TTypeDecl {
    const char* name;
    // A list type names the type of its items; a structure has members.
    const char* itemType = nullptr;
    std::vector<TMemberDecl> members;
    bool inlineList = false;  // a list member written without its own element

    bool IsList() const { return itemType != nullptr; }
};

struct TParamDecl {
    std::string name;
    std::string type;
};

struct TOperationDecl {
    const char* name;
    std::vector<TParamDecl> inputs;
    // Outputs, matched by exact local name in the reply.
    std::vector<TParamDecl> outputs;
    // The operation's value, found by the result element rule (SageFile);
    // nullptr when the operation has none.
    const char* returnType = nullptr;
};

struct TPortTypeDecl {
    const char* name;
    const char* nameSpace;
    const char* encoding;
    const char* soapActionRule;  // "%operationName%" stands for the operation
    const char* style;
    std::vector<TOperationDecl> operations;
    std::vector<TTypeDecl> types;  // in registration order

    const TOperationDecl* FindOperation(std::string_view name) const;
    const TTypeDecl* FindType(std::string_view name) const;
    // The SOAP action: the rule with its first "%operationName%" replaced.
    std::string SoapAction(std::string_view operation) const;
};

bool IsSimpleType(std::string_view type);

// A value of a message. Simple values are their XML text ("12", "true",
// "2024-03-31T00:00:00", "12.50"); base64Binary values are bytes that the
// caller keeps alive until the request is written; structures hold their
// members by code name, lists their items. A structure owns its members.
struct SoapValue {
    enum class Kind { Text, Bytes, Struct, List };
    Kind kind = Kind::Text;
    std::string text;
    std::span<const std::uint8_t> bytes;
    std::vector<std::pair<std::string, SoapValue>> members;  // Struct
    std::vector<SoapValue> items;                            // List

    // Declared here, defined in SoapTypes.cpp: clang with libstdc++ checks
    // the vector of pairs of this very type while the class is incomplete
    // when they are implicit.
    SoapValue();
    SoapValue(const SoapValue&);
    SoapValue(SoapValue&&) noexcept;
    SoapValue& operator=(const SoapValue&);
    SoapValue& operator=(SoapValue&&) noexcept;
    ~SoapValue();

    static SoapValue Text(std::string value);
    static SoapValue Bytes(std::span<const std::uint8_t> value);
};

inline SoapValue SoapValue::Text(std::string value) {
    SoapValue v;
    v.text = std::move(value);
    return v;
}

inline SoapValue SoapValue::Bytes(std::span<const std::uint8_t> value) {
    SoapValue v;
    v.kind = Kind::Bytes;
    v.bytes = value;
    return v;
}

}  // namespace quillmere
