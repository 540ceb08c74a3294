#pragma once
// THTTPReqResp: carries one SOAP request to the endpoint as an HTTP(S) POST
// and returns the reply body. Built on libcurl: one easy handle stands for the
// open connection, kept after a successful exchange and dropped after any
// failure or a new address.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quillmere {

// (sent, total): bytes of the body written so far and the size of the body.
using TPostingDataEvent = std::function<void(int sent, int total)>;

// A request body made as it is sent, its size known before the first byte.
class TRequestBody {
  public:
    virtual ~TRequestBody() = default;
    virtual std::uint64_t Size() const = 0;
    // Writes the next `count` bytes of the body (never more than are left)
    // into `buffer`; raises when it cannot.
    virtual void Read(char* buffer, std::size_t count) = 0;
};

class THTTPReqResp {
  public:
    // A body of at most this many bytes goes out in one write without events;
    // a larger one in pieces of this size with an OnPostingData after each.
    static constexpr std::size_t MaxSinglePostSize = 32768;
    // A reply body longer than this fails the exchange without being read
    // further: the service's answer is a short identifier or a fault.
    static constexpr std::size_t MaxReplySize = 1 << 20;

    THTTPReqResp();
    ~THTTPReqResp();
    THTTPReqResp(const THTTPReqResp&) = delete;
    THTTPReqResp& operator=(const THTTPReqResp&) = delete;

    // Stores the endpoint address and its parts, then disconnects. An empty
    // address clears the parts; one that is not http or https raises
    // ESOAPHTTPException "Invalid url ...".
    void SetURL(const std::string& address);
    const std::string& URL() const { return url_; }
    const std::string& Scheme() const { return scheme_; }
    const std::string& Host() const { return host_; }
    int Port() const { return port_; }
    const std::string& Path() const { return path_; }

    // Sends the body and returns the reply body. Failures raise
    // ESOAPHTTPException (or EAbort when an event handler aborted) and leave
    // the transport disconnected.
    std::string Execute(std::string_view body);
    // The same for a body made as it goes out: the same bytes, headers and
    // events as for the whole body in memory. A body that fails to make its
    // next piece ends the exchange with that failure (the transport is left
    // disconnected).
    std::string Execute(TRequestBody& body);

    void Disconnect();
    bool Connected() const { return curl_ != nullptr; }

    // Settings.
    std::string Agent = "Borland SOAP 1.2";
    std::string SoapAction;  // of the next request, sent in double quotes
    // A PEM bundle of extra trusted CAs; the system's store stays trusted.
    std::string CAFile;
    std::chrono::seconds ConnectTimeout{30};
    // The exchange fails when no byte moves in either direction for this long.
    std::chrono::seconds InactivityLimit{600};
    // The whole reply must have arrived this long after the request's last
    // byte went out, however slowly it trickles in.
    std::chrono::seconds ReplyLimit{900};
    TPostingDataEvent OnPostingData;
    // Called about once a second (and after every piece that moves) while an
    // exchange runs, also while nothing moves: an error it raises (EAbort
    // for a stop) ends the exchange at once.
    std::function<void()> OnWaiting;

  private:
    struct Exchange;
    void Connect();
    void Configure(Exchange& exchange);
    [[noreturn]] void PlatformFailure(int code);
    static std::size_t ReadBody(char* buffer, std::size_t size, std::size_t count, void* user);
    static std::size_t WriteReply(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t WriteHeader(char* data, std::size_t size, std::size_t count, void* user);
    static int Progress(void* user, long long, long long, long long, long long uploaded);

    std::string url_;
    std::string scheme_;
    std::string host_;
    int port_ = 0;
    std::string path_;
    void* curl_ = nullptr;  // CURL*, open exactly while connected
    char errorBuffer_[256] = {};
};

}  // namespace quillmere
