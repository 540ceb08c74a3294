// THTTPReqResp and the SageFile proxy against the HTTPS stand-in service.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "service/ServiceErrors.h"
#include "service/SoapMessage.h"
#include "service/THTTPReqResp.h"
#include "service/service1.h"
#include "support/StandInService.h"

namespace quillmere {
namespace {

using test::StandInService;

std::string SageFileBody(const std::string& bytes) {
    const TPortTypeDecl& port = VureDevuAPISoapDecl();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return WriteRequest(port, *port.FindOperation("SageFile"),
                        {SoapValue::Bytes({data, bytes.size()}), SoapValue::Text("vuzaruv")});
}

// A port on 127.0.0.1 where nothing listens.
int UnusedPort() {
#ifdef _WIN32
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    using Length = int;
#else
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    using Length = socklen_t;
#endif
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    Length len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
#ifdef _WIN32
    closesocket(s);
#else
    close(s);
#endif
    return ntohs(addr.sin_port);
}

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());  // an empty value removes the variable
#else
    if (value.empty()) {
        unsetenv(name);
    } else {
        setenv(name, value.c_str(), 1);
    }
#endif
}

class Transport : public ::testing::Test {
  protected:
    void SetUp() override {
        http.CAFile = service.caFile();
        http.SetURL(service.endpoint());
        http.SoapAction = "VureDevu/SageFile";
    }

    // The platform failure text ends with the address and the action.
    void ExpectPlatformFailure(const ESOAPHTTPException& e, const std::string& start) {
        const std::string text = e.what();
        EXPECT_EQ(e.StatusCode(), 0);
        EXPECT_EQ(text.rfind(start, 0), 0u) << text;
        const std::string end = " - URL:" + http.URL() + " - SOAPAction:VureDevu/SageFile";
        EXPECT_TRUE(text.ends_with(end)) << text;
        EXPECT_FALSE(http.Connected());
    }

    StandInService service;
    THTTPReqResp http;
};

TEST_F(Transport, PostsTheBodyWithItsHeadersAndReturnsTheReply) {
    const std::string body = SageFileBody("abc");
    const std::string reply = http.Execute(body);
    EXPECT_NE(reply.find("<SageFileResult>1</SageFileResult>"), std::string::npos) << reply;

    ASSERT_EQ(service.requestCount(), 1);
    EXPECT_EQ(service.requestBody(1), body);
    const std::string headers = service.requestHeaders(1);
    EXPECT_EQ(headers.rfind("POST /api/service.asmx HTTP/1.1\r\n", 0), 0u) << headers;
    for (const std::string& line :
         {std::string("Host: ") + StandInService::Host + ":" + std::to_string(service.port()),
          std::string("User-Agent: Borland SOAP 1.2"),
          std::string("SOAPAction: \"VureDevu/SageFile\""), std::string("Content-Type: text/xml"),
          "Content-Length: " + std::to_string(body.size())}) {
        EXPECT_NE(headers.find("\r\n" + line + "\r\n"), std::string::npos) << line << "\n"
                                                                           << headers;
    }
    EXPECT_EQ(headers.find("Transfer-Encoding"), std::string::npos) << headers;
    EXPECT_EQ(headers.find("Expect"), std::string::npos) << headers;
}

TEST_F(Transport, AnEmptyActionIsSentAsTwoQuotes) {
    http.SoapAction = "";
    http.Execute(SageFileBody(""));
    EXPECT_NE(service.requestHeaders(1).find("\r\nSOAPAction: \"\"\r\n"), std::string::npos);
}

struct PiecesCase {
    std::size_t size;
    std::vector<std::pair<int, int>> events;
};

void PrintTo(const PiecesCase& c, std::ostream* os) {
    *os << c.size << " bytes";
}

class TransportPieces : public Transport, public ::testing::WithParamInterface<PiecesCase> {};

TEST_P(TransportPieces, RaisePostingDataAfterEachPiece) {
    const PiecesCase& c = GetParam();
    std::vector<std::pair<int, int>> events;
    http.OnPostingData = [&](int sent, int total) { events.emplace_back(sent, total); };
    const std::string body(c.size, 'x');
    http.Execute(body);  // not SOAP: the stand-in answers a fault, status 500
    EXPECT_EQ(events, c.events);
    ASSERT_EQ(service.requestCount(), 1);
    EXPECT_EQ(service.requestBody(1).size(), c.size);
    const std::string headers = service.requestHeaders(1);
    EXPECT_EQ(headers.find("Expect"), std::string::npos) << headers;
    EXPECT_NE(headers.find("Content-Length: " + std::to_string(c.size)), std::string::npos);
}

std::vector<std::pair<int, int>> Steps(int total) {
    std::vector<std::pair<int, int>> events;
    for (int sent = 32768; sent < total; sent += 32768) {
        events.emplace_back(sent, total);
    }
    events.emplace_back(total, total);
    return events;
}

INSTANTIATE_TEST_SUITE_P(Sizes, TransportPieces,
                         ::testing::Values(PiecesCase{100, {}}, PiecesCase{32768, {}},
                                           PiecesCase{32769, {{32768, 32769}, {32769, 32769}}},
                                           PiecesCase{65536, {{32768, 65536}, {65536, 65536}}},
                                           // over 1 MiB, where libcurl would ask to continue
                                           PiecesCase{1100000, Steps(1100000)}),
                         [](const auto& info) { return std::to_string(info.param.size); });

TEST_F(Transport, HttpStatusFailsWithReasonCodeAndAddress) {
    service.setMode("404");
    try {
        http.Execute(SageFileBody("abc"));
        FAIL() << "no error";
    } catch (const ESOAPHTTPException& e) {
        EXPECT_EQ(std::string(e.what()), "Not Found (404) - '" + service.endpoint() + "'");
        EXPECT_EQ(e.StatusCode(), 404);
    }
    EXPECT_FALSE(http.Connected());
}

TEST_F(Transport, TextHtmlFailsButTextHtmlWithCharsetPasses) {
    service.setMode("html");
    try {
        http.Execute(SageFileBody("abc"));
        FAIL() << "no error";
    } catch (const ESOAPHTTPException& e) {
        EXPECT_STREQ(e.what(),
                     "Received content of invalid Content-Type setting: text/html - SOAP expects "
                     "\"text/xml\"");
        EXPECT_EQ(e.StatusCode(), 0);
    }
    service.setMode("html-charset");
    EXPECT_NE(http.Execute(SageFileBody("abc")).find("<SageFileResult>"), std::string::npos);
}

TEST_F(Transport, RefusedPortIsAPlatformFailure) {
    http.SetURL("https://127.0.0.1:" + std::to_string(UnusedPort()) + "/api/service.asmx");
    try {
        http.Execute(SageFileBody("abc"));
        FAIL() << "no error";
    } catch (const ESOAPHTTPException& e) {
        ExpectPlatformFailure(e, "Failed to connect to 127.0.0.1 port");
    }
}

TEST_F(Transport, WrongHostNameFails) {
    // The certificate names the stand-in's host only.
#ifdef _WIN32
    const std::string otherName = "127.0.0.1";
    const std::string failure =
        "schannel: CertGetNameString() failed to match connection "
        "hostname (127.0.0.1) against server certificate names";
#else
    const std::string otherName = "localhost";
    const std::string failure = "SSL: no alternative certificate subject name matches";
#endif
    http.SetURL("https://" + otherName + ":" + std::to_string(service.port()) +
                "/api/service.asmx");
    try {
        http.Execute(SageFileBody("abc"));
        FAIL() << "no error";
    } catch (const ESOAPHTTPException& e) {
        ExpectPlatformFailure(e, failure);
    }
    EXPECT_EQ(service.requestCount(), 0);
}

// Under Wine the system's certificate store is not checked (Wine's TLS
// verifies a chain only against a CA file): this holds on Windows itself.
#ifndef _WIN32
TEST_F(Transport, UnknownCertificateAuthorityFails) {
    http.CAFile.clear();
    try {
        http.Execute(SageFileBody("abc"));
        FAIL() << "no error";
    } catch (const ESOAPHTTPException& e) {
        ExpectPlatformFailure(e, "SSL certificate problem: unable to get local issuer certificate");
    }
    EXPECT_EQ(service.requestCount(), 0);
}
#endif

TEST_F(Transport, DroppedConnectionIsAPlatformFailure) {
    service.setMode("drop");
    try {
        http.Execute(SageFileBody("abc"));
        FAIL() << "no error";
    } catch (const ESOAPHTTPException& e) {
        // Windows' TLS layer reports the closed connection as a failed read.
#ifdef _WIN32
        ExpectPlatformFailure(e, "Failure when receiving data from the peer");
#else
        ExpectPlatformFailure(e, "Empty reply from server");
#endif
    }
}

TEST_F(Transport, AStalledServiceEndsAtTheInactivityLimit) {
    service.setMode("stall");
    http.InactivityLimit = std::chrono::seconds(2);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(http.Execute(SageFileBody("abc")), ESOAPHTTPException);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_FALSE(http.Connected());
}

TEST_F(Transport, AReplyThatTricklesInEndsAtTheReplyLimit) {
    // One byte a second keeps the connection active forever; the reply limit
    // counts from the request's last byte whatever moves.
    service.setMode("drip");
    http.ReplyLimit = std::chrono::seconds(2);
    const auto start = std::chrono::steady_clock::now();
    try {
        http.Execute(SageFileBody("abc"));
        FAIL() << "no error";
    } catch (const ESOAPHTTPException& e) {
        ExpectPlatformFailure(e, "No complete reply within 2 seconds");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
}

TEST_F(Transport, AStopWhileTheServiceIsSilentEndsTheExchangeWithinASecond) {
    service.setMode("stall");
    const auto start = std::chrono::steady_clock::now();
    // The stop is asked for after one second of silence.
    http.OnWaiting = [&] {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
            throw EAbort();
        }
    };
    EXPECT_THROW(http.Execute(SageFileBody("abc")), EAbort);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_FALSE(http.Connected());
}

TEST_F(Transport, KeepsTheConnectionAfterSuccessAndOpensANewOneAfterFailure) {
    http.Execute(SageFileBody("a"));
    http.Execute(SageFileBody("b"));
    service.setMode("404");
    EXPECT_THROW(http.Execute(SageFileBody("c")), ESOAPHTTPException);
    service.setMode("accept");
    http.Execute(SageFileBody("d"));
    ASSERT_EQ(service.requestCount(), 4);
    EXPECT_EQ(service.clientPort(1), service.clientPort(2));
    EXPECT_EQ(service.clientPort(2), service.clientPort(3));
    EXPECT_NE(service.clientPort(3), service.clientPort(4));
}

TEST_F(Transport, ANewAddressDropsTheConnection) {
    http.Execute(SageFileBody("a"));
    EXPECT_TRUE(http.Connected());
    http.SetURL(service.endpoint());
    EXPECT_FALSE(http.Connected());
    http.Execute(SageFileBody("b"));
    EXPECT_NE(service.clientPort(1), service.clientPort(2));
}

TEST_F(Transport, AnAbortFromTheEventHandlerEndsTheExchange) {
    http.OnPostingData = [](int, int) { throw EAbort(); };
    EXPECT_THROW(http.Execute(std::string(40000, 'x')), EAbort);
    EXPECT_FALSE(http.Connected());
}

TEST_F(Transport, HonoursTheProxyFromTheEnvironment) {
    // A proxy where nothing listens: the exchange must try it and fail.
    const std::string proxy = "http://127.0.0.1:" + std::to_string(UnusedPort());
    SetEnvironment("https_proxy", proxy);
    SetEnvironment("no_proxy", "");
    SetEnvironment("NO_PROXY", "");
    EXPECT_THROW(http.Execute(SageFileBody("a")), ESOAPHTTPException);
    EXPECT_EQ(service.requestCount(), 0);
    SetEnvironment("no_proxy", StandInService::Host);
    EXPECT_NO_THROW(http.Execute(SageFileBody("a")));
    SetEnvironment("https_proxy", "");
    SetEnvironment("no_proxy", "");
}

struct UrlCase {
    std::string address;
    std::string scheme;
    std::string host;
    int port;
    std::string path;
};

void PrintTo(const UrlCase& c, std::ostream* os) {
    *os << "\"" << c.address << "\"";
}

class SetURLParts : public ::testing::TestWithParam<UrlCase> {};

TEST_P(SetURLParts, ParsesTheAddress) {
    const UrlCase& c = GetParam();
    THTTPReqResp http;
    http.SetURL("https://old.example/x");
    http.SetURL(c.address);
    EXPECT_EQ(http.URL(), c.address);
    EXPECT_EQ(http.Scheme(), c.scheme);
    EXPECT_EQ(http.Host(), c.host);
    EXPECT_EQ(http.Port(), c.port);
    EXPECT_EQ(http.Path(), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SetURLParts,
    ::testing::Values(UrlCase{"https://www.vuredevu.com/api/service.asmx", "https",
                              "www.vuredevu.com", 443, "/api/service.asmx"},
                      UrlCase{"http://127.0.0.1:8080/p?q=1", "http", "127.0.0.1", 8080, "/p?q=1"},
                      UrlCase{"HTTPS://Host.Example/", "https", "Host.Example", 443, "/"},
                      UrlCase{"", "", "", 0, ""}));

TEST(SetURL, RefusesOtherSchemes) {
    for (const char* address : {"ftp://www.vuredevu.com/api", "www.vuredevu.com/api/service.asmx",
                                "file:///etc/passwd"}) {
        THTTPReqResp http;
        try {
            http.SetURL(address);
            FAIL() << address;
        } catch (const ESOAPHTTPException& e) {
            EXPECT_EQ(std::string(e.what()), "Invalid url '" + std::string(address) +
                                                 "' - only supports 'http' and 'https' schemes");
        }
    }
}

// The proxy: WriteRequest, Execute with the operation's action, ReadReply.
class ServiceProxy : public ::testing::Test {
  protected:
    void SetUp() override { rio.HTTPWebNode1.CAFile = service.caFile(); }
    StandInService service;
    THTTPRIO rio;
};

TEST_F(ServiceProxy, SageFileReturnsTheIdentifierAndSendsTheArchiveBytes) {
    VureDevuAPISoap proxy = GetServiceBinding(rio, service.baseUrl());
    EXPECT_EQ(rio.HTTPWebNode1.URL(), service.endpoint());
    std::string archive = "PK\x03\x04 not really a zip \r\n & <";
    archive.resize(200, '\xFF');  // several lines of base64
    const auto* data = reinterpret_cast<const std::uint8_t*>(archive.data());
    EXPECT_EQ(proxy.SageFile({data, archive.size()}, "vuzaruv"), "1");
    EXPECT_EQ(proxy.SageFile({data, archive.size()}, "vuzaruv"), "2");
    // The stand-in decoded the base64 itself and kept the bytes.
    EXPECT_EQ(test::FileText(service.recordDir() + "/import-1.zip"), archive);
    const std::string import = test::FileText(service.recordDir() + "/import-1.json");
    EXPECT_NE(import.find("\"base64_layout_ok\": true"), std::string::npos) << import;
    EXPECT_NE(import.find("\"reference\": \"vuzaruv\""), std::string::npos) << import;
    EXPECT_NE(service.requestHeaders(1).find("SOAPAction: \"VureDevu/SageFile\""),
              std::string::npos);
}

TEST_F(ServiceProxy, RefusalFaultAndHttpErrorsReachTheCaller) {
    VureDevuAPISoap proxy = GetServiceBinding(rio, service.baseUrl());
    const std::uint8_t byte = 1;
    service.setMode("refuse");
    EXPECT_EQ(proxy.SageFile({&byte, 1}, "vuzaruv"), "0");
    service.setMode("fault");
    try {
        proxy.SageFile({&byte, 1}, "vuzaruv");
        FAIL() << "no fault";
    } catch (const ERemotableException& e) {
        EXPECT_STREQ(e.what(),
                     "Server was unable to process request. ---> The import could not be started");
        EXPECT_EQ(e.FaultCode(), "soap:Server");
    }
    service.setMode("404");
    EXPECT_THROW(proxy.SageFile({&byte, 1}, "vuzaruv"), ESOAPHTTPException);
}

TEST_F(ServiceProxy, OtherOperationsUseTheirOwnAction) {
    VureDevuAPISoap proxy = GetServiceBinding(rio, service.baseUrl());
    // The stand-in knows SageFile only and answers a fault.
    EXPECT_THROW(proxy.Call("GetCustomers", {SoapValue::Text("u"), SoapValue::Text("p")}),
                 ERemotableException);
    EXPECT_NE(service.requestHeaders(1).find("SOAPAction: \"VureDevu/GetCustomers\""),
              std::string::npos);
    EXPECT_NE(service.requestBody(1).find("<GetCustomers xmlns=\"VureDevu\"><UserName>u</UserName>"
                                          "<Password>p</Password></GetCustomers>"),
              std::string::npos);
}

}  // namespace
}  // namespace quillmere
