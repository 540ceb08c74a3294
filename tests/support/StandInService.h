#pragma once
// The HTTPS stand-in of the online service (tests/standin/standin.py), run for
// one test: a throwaway CA and certificate in a temporary directory, the
// server on 127.0.0.1 on a free port, stopped when the object goes.
#include <sys/types.h>

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace quillmere::test {

class StandInService {
  public:
    // san: the names the server certificate holds (make-ca.sh --san).
    explicit StandInService(const std::string& mode = "accept",
                            const std::string& san = "IP:127.0.0.1",
                            const std::vector<std::string>& extraArgs = {});
    ~StandInService();
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    int port() const { return port_; }
    std::string baseUrl() const;   // https://127.0.0.1:PORT
    std::string endpoint() const;  // baseUrl() + "/api/service.asmx"
    std::string caFile() const { return dir_ / "certs/ca.pem"; }
    std::string recordDir() const { return dir_ / "record"; }

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
    TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace quillmere::test
