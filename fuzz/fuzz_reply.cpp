// ReadReply: the service's reply body, as any server could send it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "service/ServiceErrors.h"
#include "service/SoapMessage.h"
#include "service/service1.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmere;
    static const TOperationDecl& sageFile = *VureDevuAPISoapDecl().FindOperation("SageFile");
    try {
        ReadReply(std::string_view(reinterpret_cast<const char*>(data), size), sageFile);
    } catch (const Exception&) {
        // Refusing the reply with an error is the expected answer to most input.
    }
    return 0;
}
