#pragma once
// The HTTPS stand-in of the online service (tests/standin/standin.py), run for
// one test: a throwaway CA and certificate in a temporary directory, the
// server on 127.0.0.1 on a free port, stopped when the object goes.
//
// A Windows test (under Wine) cannot start a Linux program: there the
// stand-in is started and stopped by tests/standin/launcher.py, which runs
// beside the tests and serves the spool directory named by the environment
// variable QUILLMERE_STANDIN_SPOOL. Its certificate is RSA and names
// localhost, the name Wine's TLS checks a certificate against.
#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace quillmere::test {

class StandInService {
  public:
#ifdef _WIN32
    static constexpr const char* DefaultSan = "DNS:localhost";
    static constexpr const char* Host = "localhost";
#else
    static constexpr const char* DefaultSan = "IP:127.0.0.1";
    static constexpr const char* Host = "127.0.0.1";
#endif
    // san: the names the server certificate holds (make-ca.sh --san).
    explicit StandInService(const std::string& mode = "accept", const std::string& san = DefaultSan,
                            const std::vector<std::string>& extraArgs = {});
    ~StandInService();
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    int port() const {
        return port_;
    }
    std::string baseUrl() const;   // https://HOST:PORT
    std::string endpoint() const;  // baseUrl() + "/api/service.asmx"
    std::string caFile() const {
        return dir_ + "/certs/ca.pem";
    }
    std::string recordDir() const {
        return dir_ + "/record";
    }

    // Changes the mode for the following requests.
    void setMode(const std::string& mode);
    // From now on the endpoint answers these bytes (HTTP 200, text/xml).
    void setReplyBody(const std::string& body);

    // Requests recorded so far and, for request n (from 1), its header text
    // (request line and header lines), body and client port.
    int requestCount() const;
    std::string requestHeaders(int n) const;
    std::string requestBody(int n) const;
    int clientPort(int n) const;

  private:
    void start(const std::string& mode, const std::string& san,
               const std::vector<std::string>& extraArgs);
    void stop();

    std::string dir_;                // certs/, record/ and the mode and body files
    std::unique_ptr<TempDir> temp_;  // the directory, when this process made it
    long long pid_ = -1;             // the stand-in, when this process started it
    std::string spoolName_;          // the stand-in, when the launcher started it
    int port_ = 0;
};

}  // namespace quillmere::test
