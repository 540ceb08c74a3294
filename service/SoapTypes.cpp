#include "service/SoapTypes.h"

#include <algorithm>
#include <array>

namespace quillmere {

SoapValue::SoapValue() = default;
SoapValue::SoapValue(const SoapValue&) = default;
SoapValue::SoapValue(SoapValue&&) noexcept = default;
SoapValue& SoapValue::operator=(const SoapValue&) = default;
SoapValue& SoapValue::operator=(SoapValue&&) noexcept = default;
SoapValue::~SoapValue() = default;

bool IsSimpleType(std::string_view type) {
    static constexpr std::array<std::string_view, 6> simple = {
        "int", "string", "boolean", "dateTime", "decimal", "base64Binary"};
    return std::find(simple.begin(), simple.end(), type) != simple.end();
}

const TOperationDecl* TPortTypeDecl::FindOperation(std::string_view name) const {
    for (const TOperationDecl& op : operations) {
        if (name == op.name) {
            return &op;
        }
    }
    return nullptr;
}

const TTypeDecl* TPortTypeDecl::FindType(std::string_view name) const {
    for (const TTypeDecl& type : types) {
        if (name == type.name) {
            return &type;
        }
    }
    return nullptr;
}

std::string TPortTypeDecl::SoapAction(std::string_view operation) const {
    std::string action = soapActionRule;
    static constexpr std::string_view Placeholder = "%operationName%";
    const auto at = action.find(Placeholder);
    if (at != std::string::npos) {
        action.replace(at, Placeholder.size(), operation);
    }
    return action;
}

}  // namespace quillmere
