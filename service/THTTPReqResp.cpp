#include "service/THTTPReqResp.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>

#include "service/ServiceErrors.h"

namespace quillmere {

namespace {

CURL* Handle(void* curl) {
    return static_cast<CURL*>(curl);
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string TrimLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

// One part of a parsed address, or empty when the address has none.
std::string UrlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, flags) != CURLUE_OK || value == nullptr) {
        return {};
    }
    std::string result = value;
    curl_free(value);
    return result;
}

}  // namespace

// What one exchange needs while libcurl runs it.
struct THTTPReqResp::Exchange {
    THTTPReqResp* owner = nullptr;
    TRequestBody* body = nullptr;
    std::uint64_t size = 0;
    std::string whole;  // a body sent in one write
    std::uint64_t sent = 0;
    std::string reply;
    std::string reasonPhrase;  // of the last status line received
    curl_slist* headers = nullptr;
    std::exception_ptr failure;  // raised by an event handler inside a callback
    // When the request's last byte went out (unset before).
    std::optional<std::chrono::steady_clock::time_point> sentAt;

    ~Exchange() { curl_slist_free_all(headers); }
};

THTTPReqResp::THTTPReqResp() {
    GlobalInit();
}

THTTPReqResp::~THTTPReqResp() {
    Disconnect();
}

void THTTPReqResp::SetURL(const std::string& address) {
    if (address.empty()) {
        scheme_.clear();
        host_.clear();
        port_ = 0;
        path_.clear();
    } else {
        CURLU* url = curl_url();
        const bool parsed = curl_url_set(url, CURLUPART_URL, address.c_str(),
                                         CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK;
        const std::string scheme = parsed ? UrlPart(url, CURLUPART_SCHEME) : std::string();
        if (scheme != "http" && scheme != "https") {
            curl_url_cleanup(url);
            throw ESOAPHTTPException("Invalid url '" + address +
                                     "' - only supports 'http' and 'https' schemes");
        }
        scheme_ = scheme;
        host_ = UrlPart(url, CURLUPART_HOST);
        port_ = std::atoi(UrlPart(url, CURLUPART_PORT, CURLU_DEFAULT_PORT).c_str());
        path_ = UrlPart(url, CURLUPART_PATH);
        const std::string query = UrlPart(url, CURLUPART_QUERY);
        if (!query.empty()) {
            path_ += "?" + query;
        }
        curl_url_cleanup(url);
    }
    url_ = address;
    Disconnect();
}

void THTTPReqResp::Connect() {
    if (curl_ != nullptr) {
        return;
    }
    curl_ = curl_easy_init();
    if (curl_ == nullptr) {
        throw ESOAPHTTPException("Out of memory - URL:" + url_ + " - SOAPAction:" + SoapAction);
    }
}

void THTTPReqResp::Disconnect() {
    if (curl_ != nullptr) {
        curl_easy_cleanup(Handle(curl_));
        curl_ = nullptr;
    }
}

void THTTPReqResp::PlatformFailure(int code) {
    std::string description = errorBuffer_[0] != '\0'
                                  ? std::string(errorBuffer_)
                                  : std::string(curl_easy_strerror(static_cast<CURLcode>(code)));
    if (description.size() > 255) {
        description.resize(255);
    }
    description = TrimLineEnd(description);
    Disconnect();
    throw ESOAPHTTPException(description + " - URL:" + url_ + " - SOAPAction:" + SoapAction, 0);
}

void THTTPReqResp::Configure(Exchange& exchange) {
    CURL* curl = Handle(curl_);
    // A reset keeps the open connection; every option is set anew below.
    curl_easy_reset(curl);
    errorBuffer_[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, Agent.c_str());

    // The server is verified in full: chain, host name and dates.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!CAFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, CAFile.c_str());
    }

    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(ConnectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(InactivityLimit.count()));
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPIDLE, 60L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPINTVL, 60L);

    exchange.headers =
        curl_slist_append(exchange.headers, ("SOAPAction: \"" + SoapAction + "\"").c_str());
    exchange.headers = curl_slist_append(exchange.headers, "Content-Type: text/xml");
    // No "Expect: 100-continue" for large bodies and no "Accept" line.
    exchange.headers = curl_slist_append(exchange.headers, "Expect:");
    exchange.headers = curl_slist_append(exchange.headers, "Accept:");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, exchange.headers);

    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(exchange.size));
    if (exchange.size <= MaxSinglePostSize) {
        // Made whole first, then sent in one write.
        exchange.whole.resize(static_cast<std::size_t>(exchange.size));
        exchange.body->Read(exchange.whole.data(), exchange.whole.size());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, exchange.whole.data());
    } else {
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, &THTTPReqResp::ReadBody);
        curl_easy_setopt(curl, CURLOPT_READDATA, &exchange);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &THTTPReqResp::WriteReply);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &THTTPReqResp::WriteHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &THTTPReqResp::Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &exchange);
}

int THTTPReqResp::Progress(void* user, long long, long long, long long, long long uploaded) {
    auto& exchange = *static_cast<Exchange*>(user);
    THTTPReqResp& owner = *exchange.owner;
    try {
        const auto now = std::chrono::steady_clock::now();
        if (!exchange.sentAt && uploaded >= static_cast<long long>(exchange.body->Size())) {
            exchange.sentAt = now;
        }
        if (exchange.sentAt && now - *exchange.sentAt > owner.ReplyLimit) {
            throw ESOAPHTTPException(
                "No complete reply within " + std::to_string(owner.ReplyLimit.count()) +
                " seconds - URL:" + owner.url_ + " - SOAPAction:" + owner.SoapAction);
        }
        if (owner.OnWaiting) {
            owner.OnWaiting();
        }
    } catch (...) {
        exchange.failure = std::current_exception();
        return 1;  // ends the transfer
    }
    return 0;
}

std::size_t THTTPReqResp::ReadBody(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(
        std::min(size * count, MaxSinglePostSize), exchange.size - exchange.sent));
    try {
        exchange.body->Read(buffer, piece);
        exchange.sent += piece;
        if (piece > 0 && exchange.owner->OnPostingData) {
            exchange.owner->OnPostingData(static_cast<int>(exchange.sent),
                                          static_cast<int>(exchange.size));
        }
    } catch (...) {
        exchange.failure = std::current_exception();
        return CURL_READFUNC_ABORT;
    }
    return piece;
}

std::size_t THTTPReqResp::WriteReply(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    try {
        if (exchange.reply.size() + size * count > MaxReplySize) {
            const THTTPReqResp& owner = *exchange.owner;
            throw ESOAPHTTPException("The reply is larger than " + std::to_string(MaxReplySize) +
                                     " bytes - URL:" + owner.url_ +
                                     " - SOAPAction:" + owner.SoapAction);
        }
        exchange.reply.append(data, size * count);
    } catch (...) {
        exchange.failure = std::current_exception();
        return 0;
    }
    return size * count;
}

std::size_t THTTPReqResp::WriteHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        // "HTTP/1.1 404 Not Found": the reason phrase follows the second blank.
        const auto code = line.find(' ');
        const auto reason = code == std::string_view::npos ? code : line.find(' ', code + 1);
        exchange.reasonPhrase =
            reason == std::string_view::npos ? std::string() : std::string(line.substr(reason + 1));
        exchange.reasonPhrase = TrimLineEnd(exchange.reasonPhrase);
    }
    return size * count;
}

namespace {

// A body that is in memory already.
class MemoryBody : public TRequestBody {
  public:
    explicit MemoryBody(std::string_view text) : text_(text) {}
    std::uint64_t Size() const override { return text_.size(); }
    void Read(char* buffer, std::size_t count) override {
        std::memcpy(buffer, text_.data() + at_, count);
        at_ += count;
    }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::string THTTPReqResp::Execute(std::string_view body) {
    MemoryBody memory(body);
    return Execute(memory);
}

std::string THTTPReqResp::Execute(TRequestBody& body) {
    Connect();
    Exchange exchange;
    exchange.owner = this;
    exchange.body = &body;
    exchange.size = body.Size();
    try {
        Configure(exchange);
    } catch (...) {
        Disconnect();
        throw;
    }

    const CURLcode result = curl_easy_perform(Handle(curl_));
    if (exchange.failure) {
        Disconnect();
        std::rethrow_exception(exchange.failure);
    }
    if (result != CURLE_OK) {
        PlatformFailure(result);
    }

    long status = 0;
    curl_easy_getinfo(Handle(curl_), CURLINFO_RESPONSE_CODE, &status);
    if (status >= 300 && status != 500) {
        Disconnect();
        throw ESOAPHTTPException(
            exchange.reasonPhrase + " (" + std::to_string(status) + ") - '" + url_ + "'",
            static_cast<int>(status));
    }

    char* type = nullptr;
    curl_easy_getinfo(Handle(curl_), CURLINFO_CONTENT_TYPE, &type);
    std::string contentType = type != nullptr ? type : "";
    if (contentType.size() > 256) {
        contentType.resize(256);
    }
    if (EqualsIgnoringCase(contentType, "text/plain") ||
        EqualsIgnoringCase(contentType, "text/html")) {
        Disconnect();
        throw ESOAPHTTPException("Received content of invalid Content-Type setting: " +
                                 contentType + " - SOAP expects \"text/xml\"");
    }
    return std::move(exchange.reply);
}

}  // namespace quillmere
