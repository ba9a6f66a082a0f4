#pragma once
// The HTTP library's server with the connection handling a real network needs: each request's headers must
// arrive whole within a deadline and its body within another, a body over the limit is refused before it is
// read, no read or write waits on a silent peer for long, and workers are added as connections need them,
// so slow or hostile clients cannot starve ordinary requests. One connection per worker thread. The same
// guards hold over TLS, whose records are read and written through the same bounded waits.
#include <httplib.h>
#include <openssl/ssl.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace server {

struct HttpLimits {
    std::size_t maxBodyBytes = 20 * 1024 * 1024;
    std::size_t maxHeaderBytes = 64 * 1024; // request line and headers together
    std::chrono::seconds headerTime{10};    // from the first byte of a request to the end of its headers
    std::chrono::seconds bodyTime{120};     // to read a body, and again to write an answer
    std::chrono::seconds silence{10};       // longest wait for the next byte either way
    std::chrono::seconds keepAliveIdle{5};  // between requests on one connection
    std::size_t requestsPerConnection = 100;
    std::size_t maxWorkers = 256;
};

class GuardedServer : public httplib::Server {
public:
    explicit GuardedServer(const HttpLimits& limits = {});
    ~GuardedServer() override;

    // From now on every connection speaks TLS with this certificate (PEM, chain allowed) and private key.
    // False, with the reason, when either cannot be read or they do not belong together.
    bool useTls(const std::string& certificateFile, const std::string& keyFile, std::string* error);
    bool isTls() const { return m_tls != nullptr; }

    // Why the request on the calling worker's connection could not be read; None outside a connection.
    enum class Fault { None, TimedOut, HeadersTooLarge, BodyTooLarge };
    static Fault currentFault();
    // The connection of the calling worker ends after this answer (the rest of a refused body is never
    // read as a next request).
    static void closeAfterAnswer(httplib::Response& res);

    const HttpLimits& limits() const { return m_limits; }

private:
    bool process_and_close_socket(socket_t sock) override;

    HttpLimits m_limits;
    SSL_CTX* m_tls = nullptr;
};

} // namespace server
