#include "service/SoapRequestBody.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "platform/Exceptions.h"

namespace quillmere {

namespace {

// Bytes encoded at a time: whole base64 lines (57 bytes each), so the
// blocks' texts joined are the text of all the bytes.
constexpr std::size_t BlockBytes = 57 * 1024;

}  // namespace

SoapRequestBody::SoapRequestBody(RequestAround parts, ByteSource& bytes)
    : parts_(std::move(parts)), bytes_(bytes) {
    size_ = parts_.head.size() + Base64LinesSize(bytes_.Size()) + parts_.tail.size();
}

void SoapRequestBody::Encode() {
    block_.resize(
        static_cast<std::size_t>(std::min<std::uint64_t>(BlockBytes, bytes_.Size() - bytesRead_)));
    const std::size_t got = bytes_.Read(block_.data(), block_.size());
    if (got == 0 || got != block_.size()) {
        throw EInOutError(100);  // the source ended before its size
    }
    bytesRead_ += got;
    pending_.clear();
    at_ = 0;
    AppendBase64Lines(pending_, std::span<const std::uint8_t>(block_.data(), got));
}

void SoapRequestBody::Read(char* buffer, std::size_t count) {
    const std::uint64_t headEnd = parts_.head.size();
    const std::uint64_t textEnd = size_ - parts_.tail.size();
    std::size_t done = 0;
    while (done < count && sent_ < size_) {
        std::size_t n;
        if (sent_ < headEnd) {
            n = std::min<std::size_t>(count - done, static_cast<std::size_t>(headEnd - sent_));
            std::memcpy(buffer + done, parts_.head.data() + sent_, n);
        } else if (sent_ < textEnd) {
            if (at_ == pending_.size()) {
                Encode();
            }
            n = std::min(count - done, pending_.size() - at_);
            std::memcpy(buffer + done, pending_.data() + at_, n);
            at_ += n;
        } else {
            const auto from = static_cast<std::size_t>(sent_ - textEnd);
            n = std::min(count - done, parts_.tail.size() - from);
            std::memcpy(buffer + done, parts_.tail.data() + from, n);
        }
        done += n;
        sent_ += n;
    }
}

}  // namespace quillmere
