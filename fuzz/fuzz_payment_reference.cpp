// The payment reference taken from a transaction's details: any text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sage/PaymentReference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string details(reinterpret_cast<const char*>(data), size);
    const std::string reference = quillmere::PaymentReference(details);
    if (reference.size() > details.size()) {
        std::abort();
    }
    return 0;
}
