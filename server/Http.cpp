#include "Http.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <openssl/err.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace server {

namespace {

using Clock = std::chrono::steady_clock;

// Adds a thread whenever a job finds none idle, up to a maximum; a connection held by a slow client then
// costs one thread, not the place of an ordinary request.
class Workers : public httplib::TaskQueue {
public:
    explicit Workers(std::size_t max)
        : m_max(std::max<std::size_t>(max, 1)) {}
    ~Workers() override { shutdown(); }

    void enqueue(std::function<void()> fn) override {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(fn));
        if (m_idle < m_jobs.size() && m_threads.size() < m_max)
            m_threads.emplace_back([this] { run(); });
        m_wake.notify_one();
    }

    void shutdown() override {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                return;
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }

private:
    void run() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(m_mutex);
                ++m_idle;
                m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
                --m_idle;
                if (m_jobs.empty())
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            job();
        }
    }

    const std::size_t m_max;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    std::vector<std::thread> m_threads;
    std::size_t m_idle = 0;
    bool m_stopping = false;
};

// One accepted socket read through a buffer, every wait bounded by the phase's deadline and by the
// longest silence allowed. With a TLS session the socket is non-blocking and the records pass through
// the same waits, so a peer that stalls mid-record is cut off like one that stalls mid-header.
class Connection final : public httplib::Stream {
public:
    Connection(int sock, const HttpLimits& limits, SSL* tls = nullptr)
        : m_sock(sock)
        , m_limits(limits)
        , m_tls(tls) {}

    GuardedServer::Fault fault() const { return m_fault; }
    bool closing() const { return m_closing || m_fault != GuardedServer::Fault::None; }
    void closeAfterAnswer() { m_closing = true; }
    bool hasBuffered() const { return m_begin < m_end || (m_tls && SSL_has_pending(m_tls)); }

    // The TLS handshake, within the time a request's headers get.
    bool handshake() {
        const auto deadline = Clock::now() + m_limits.headerTime;
        for (;;) {
            ERR_clear_error();
            const int r = SSL_accept(m_tls);
            if (r == 1)
                return true;
            const short events = tlsWaitFor(r);
            if (!events || wait(events, deadline) <= 0)
                return false;
        }
    }
    void endTls() {
        if (m_tls && m_fault == GuardedServer::Fault::None) {
            ERR_clear_error();
            SSL_shutdown(m_tls); // the close_notify, without waiting for the peer's
        }
    }

    void beginRequest() {
        m_phase = Phase::Headers;
        m_phaseBytes = 0;
        m_readDeadline = Clock::now() + m_limits.headerTime;
        m_writeDeadline.reset();
    }
    void beginBody() {
        m_phase = Phase::Body;
        m_phaseBytes = 0;
        m_readDeadline = Clock::now() + m_limits.bodyTime;
    }

    bool is_readable() const override { return hasBuffered() || wait(POLLIN, m_readDeadline) > 0; }
    bool is_writable() const override { return wait(POLLOUT, writeDeadline()) > 0; }

    ssize_t read(char* ptr, size_t size) override {
        if (m_fault != GuardedServer::Fault::None)
            return -1;
        // Chunked bodies carry their framing on top of the payload; the handler checks the payload exactly.
        const std::size_t budget = m_phase == Phase::Headers
                                       ? m_limits.maxHeaderBytes
                                       : m_limits.maxBodyBytes + m_limits.maxBodyBytes / 8 + 65536;
        if (m_phaseBytes >= budget) {
            m_fault = m_phase == Phase::Headers ? GuardedServer::Fault::HeadersTooLarge
                                                : GuardedServer::Fault::BodyTooLarge;
            return -1;
        }
        if (!hasBuffered()) {
            const ssize_t got = fill();
            if (got <= 0)
                return got;
        }
        const std::size_t n = std::min({size, m_end - m_begin, budget - m_phaseBytes});
        std::memcpy(ptr, m_buffer + m_begin, n);
        m_begin += n;
        m_phaseBytes += n;
        return ssize_t(n);
    }

    // Writes everything or fails: the library does not always retry short writes.
    ssize_t write(const char* ptr, size_t size) override {
        if (!m_writeDeadline)
            m_writeDeadline = Clock::now() + m_limits.bodyTime;
        std::size_t done = 0;
        while (m_tls && done < size) {
            ERR_clear_error();
            const int n = SSL_write(m_tls, ptr + done, int(std::min<std::size_t>(size - done, INT_MAX)));
            if (n > 0) {
                done += std::size_t(n);
                continue;
            }
            const short events = tlsWaitFor(n);
            if (!events || wait(events, writeDeadline()) <= 0)
                return -1;
        }
        while (done < size) {
            const ssize_t n = ::send(m_sock, ptr + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                done += std::size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && wait(POLLOUT, writeDeadline()) > 0)
                continue;
            return -1;
        }
        return ssize_t(size);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        address(::getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        address(::getsockname, ip, port);
    }
    socket_t socket() const override { return m_sock; }

private:
    enum class Phase { Headers, Body };

    Clock::time_point writeDeadline() const {
        return m_writeDeadline.value_or(Clock::now() + m_limits.bodyTime);
    }

    // > 0 ready, 0 the deadline or the longest silence passed, < 0 error.
    int wait(short events, Clock::time_point deadline) const {
        for (;;) {
            const auto now = Clock::now();
            const auto until = std::min(deadline, now + m_limits.silence);
            if (until <= now)
                return 0;
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
            pollfd p{m_sock, events, 0};
            const int r = ::poll(&p, 1, int(ms));
            if (r < 0 && errno == EINTR)
                continue;
            return r;
        }
    }

    // What the session waits for after a call that returned r; 0 when the session failed or ended.
    short tlsWaitFor(int r) const {
        switch (SSL_get_error(m_tls, r)) {
        case SSL_ERROR_WANT_READ:
            return POLLIN;
        case SSL_ERROR_WANT_WRITE:
            return POLLOUT;
        default:
            return 0;
        }
    }

    ssize_t fillTls() {
        short events = POLLIN;
        // Bytes the session already holds need no wait, but only once: a partial record needs more.
        for (bool first = true;; first = false) {
            if (!(first && SSL_has_pending(m_tls))) {
                const int ready = wait(events, m_readDeadline);
                if (ready == 0) {
                    m_fault = GuardedServer::Fault::TimedOut;
                    return -1;
                }
                if (ready < 0)
                    return -1;
            }
            ERR_clear_error();
            const int n = SSL_read(m_tls, m_buffer, int(sizeof m_buffer));
            if (n > 0) {
                m_begin = 0;
                m_end = std::size_t(n);
                return n;
            }
            if (SSL_get_error(m_tls, n) == SSL_ERROR_ZERO_RETURN)
                return 0;
            events = tlsWaitFor(n);
            if (!events)
                return -1;
        }
    }

    ssize_t fill() {
        if (m_tls)
            return fillTls();
        for (;;) {
            const int ready = wait(POLLIN, m_readDeadline);
            if (ready == 0) {
                m_fault = GuardedServer::Fault::TimedOut;
                return -1;
            }
            if (ready < 0)
                return -1;
            const ssize_t n = ::recv(m_sock, m_buffer, sizeof m_buffer, MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (n > 0) {
                m_begin = 0;
                m_end = std::size_t(n);
            }
            return n;
        }
    }

    template <class F> void address(F f, std::string& ip, int& port) const {
        sockaddr_storage a{};
        socklen_t len = sizeof a;
        char host[NI_MAXHOST] = {};
        char service[NI_MAXSERV] = {};
        if (f(m_sock, reinterpret_cast<sockaddr*>(&a), &len) == 0 &&
            ::getnameinfo(reinterpret_cast<sockaddr*>(&a), len, host, sizeof host, service, sizeof service,
                          NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
            ip = host;
            port = std::atoi(service);
        }
    }

    const int m_sock;
    const HttpLimits& m_limits;
    SSL* const m_tls;
    char m_buffer[16384];
    std::size_t m_begin = 0, m_end = 0;
    Phase m_phase = Phase::Headers;
    std::size_t m_phaseBytes = 0;
    Clock::time_point m_readDeadline = Clock::now();
    std::optional<Clock::time_point> m_writeDeadline;
    GuardedServer::Fault m_fault = GuardedServer::Fault::None;
    bool m_closing = false;
};

thread_local Connection* t_connection = nullptr;

bool digitsOnly(const std::string& s) {
    return !s.empty() && s.size() <= 19 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Content-Length above the limit (or unreadable): refused before a byte of the body is read.
int refusedLength(const httplib::Request& req, std::size_t max) {
    if (!req.has_header("Content-Length"))
        return 0;
    const std::string value = req.get_header_value("Content-Length");
    if (!digitsOnly(value))
        return 400;
    return std::stoull(value) > max ? 413 : 0;
}

// Brotli runs at the library's fixed highest quality, about a second of CPU per 100 KB of JSON; gzip is
// many times faster for a few more bytes, so a client offering both gets gzip.
void withoutBrotli(httplib::Request& req) {
    const std::string offered = req.get_header_value("Accept-Encoding");
    if (offered.find("br") == std::string::npos)
        return;
    std::string kept;
    std::size_t start = 0;
    while (start <= offered.size()) {
        const std::size_t end = std::min(offered.find(',', start), offered.size());
        std::string item = offered.substr(start, end - start);
        item.erase(0, item.find_first_not_of(" \t"));
        const std::string coding = item.substr(0, item.find_first_of(" \t;"));
        if (!item.empty() && coding != "br")
            kept += (kept.empty() ? "" : ", ") + item;
        start = end + 1;
    }
    req.headers.erase("Accept-Encoding");
    if (!kept.empty())
        req.set_header("Accept-Encoding", kept);
}

} // namespace

GuardedServer::GuardedServer(const HttpLimits& limits)
    : m_limits(limits) {
    new_task_queue = [max = limits.maxWorkers] { return new Workers(max); };
    set_keep_alive_max_count(limits.requestsPerConnection);
    set_keep_alive_timeout(limits.keepAliveIdle.count());
    set_read_timeout(limits.silence.count());
    set_write_timeout(limits.silence.count());
    set_payload_max_length(limits.maxBodyBytes);
    set_tcp_nodelay(true);

    // Runs once the headers are in and before the body is read.
    set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (const int status = refusedLength(req, m_limits.maxBodyBytes)) {
            res.status = status;
            closeAfterAnswer(res);
            return HandlerResponse::Handled;
        }
        if (t_connection)
            t_connection->beginBody();
        return HandlerResponse::Unhandled;
    });
    // A client that asks first hears at once that its body is too large.
    set_expect_100_continue_handler([this](const httplib::Request& req, httplib::Response& res) {
        const int status = refusedLength(req, m_limits.maxBodyBytes);
        if (status)
            closeAfterAnswer(res);
        return status ? status : 100;
    });
}

GuardedServer::~GuardedServer() {
    SSL_CTX_free(m_tls);
}

bool GuardedServer::useTls(const std::string& certificateFile, const std::string& keyFile,
                           std::string* error) {
    const auto fail = [error](const std::string& what) {
        const unsigned long code = ERR_get_error();
        char reason[256] = {};
        if (code)
            ERR_error_string_n(code, reason, sizeof reason);
        ERR_clear_error();
        if (error)
            *error = code ? what + " (" + reason + ")" : what;
        return false;
    };
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    if (!ctx)
        return fail("cannot create a TLS context");
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> owned(ctx, SSL_CTX_free);
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    // Renegotiation would let a client make the server redo the costly part of a handshake at will.
    SSL_CTX_set_options(ctx, SSL_OP_NO_RENEGOTIATION | SSL_OP_CIPHER_SERVER_PREFERENCE);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (SSL_CTX_use_certificate_chain_file(ctx, certificateFile.c_str()) != 1)
        return fail("cannot use the certificate " + certificateFile);
    if (SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
        return fail("cannot use the private key " + keyFile);
    if (SSL_CTX_check_private_key(ctx) != 1)
        return fail("the private key " + keyFile + " does not belong to the certificate " + certificateFile);
    SSL_CTX_free(m_tls);
    m_tls = owned.release();
    return true;
}

GuardedServer::Fault GuardedServer::currentFault() {
    return t_connection ? t_connection->fault() : Fault::None;
}

void GuardedServer::closeAfterAnswer(httplib::Response& res) {
    res.set_header("Connection", "close");
    if (t_connection)
        t_connection->closeAfterAnswer();
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
    std::unique_ptr<SSL, decltype(&SSL_free)> tls(nullptr, SSL_free);
    if (m_tls) {
        ::fcntl(sock, F_SETFL, ::fcntl(sock, F_GETFL) | O_NONBLOCK);
        tls.reset(SSL_new(m_tls));
        if (!tls || SSL_set_fd(tls.get(), sock) != 1) {
            ::close(sock);
            return false;
        }
    }
    Connection connection(sock, m_limits, tls.get());
    if (tls && !connection.handshake()) {
        // An untrusting or silent client: nothing more to say on this connection.
        ERR_clear_error();
        ::close(sock);
        return false;
    }
    t_connection = &connection;
    // Over TLS the request knows its session, as with the library's own TLS server.
    const auto setUp = [&tls](httplib::Request& req) {
        withoutBrotli(req);
        req.ssl = tls.get();
    };
    bool ok = true;
    for (std::size_t served = 0; served < m_limits.requestsPerConnection; ++served) {
        // Idle between requests, in short slices so a stopping server is noticed.
        const auto idleUntil = Clock::now() + m_limits.keepAliveIdle;
        bool ready = connection.hasBuffered();
        while (!ready && svr_sock_ != INVALID_SOCKET && Clock::now() < idleUntil) {
            pollfd p{sock, POLLIN, 0};
            ready = ::poll(&p, 1, 200) > 0;
        }
        if (!ready || svr_sock_ == INVALID_SOCKET)
            break;
        connection.beginRequest();
        bool closedByClient = false;
        const bool last = served + 1 == m_limits.requestsPerConnection;
        ok = process_request(connection, last, closedByClient, setUp);
        if (!ok || closedByClient || connection.closing())
            break;
    }
    t_connection = nullptr;
    connection.endTls();
    if (!connection.closing()) {
        ::shutdown(sock, SHUT_RDWR);
    } else {
        // The rest of a refused request is drained briefly, so the answer is not lost to a reset.
        ::shutdown(sock, SHUT_WR);
        constexpr std::size_t kDrainBytes = 4 * 1024 * 1024;
        const auto until = Clock::now() + std::chrono::seconds(1);
        char sink[16384];
        std::size_t drained = 0;
        while (drained < kDrainBytes && Clock::now() < until) {
            pollfd p{sock, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = ::recv(sock, sink, sizeof sink, MSG_DONTWAIT);
            if (n <= 0)
                break;
            drained += std::size_t(n);
        }
    }
    ::close(sock);
    return ok;
}

} // namespace server
