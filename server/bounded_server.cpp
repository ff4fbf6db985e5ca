#include "bounded_server.h"

#include <arpa/inet.h>
#include <array>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zorlith {

namespace {

constexpr int kStopCheckMs = 100;

bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void AddressText(const sockaddr_storage& address, std::string& ip, int& port) {
    std::array<char, INET6_ADDRSTRLEN> text{};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &v4.sin_addr, text.data(), text.size());
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &v6.sin6_addr, text.data(), text.size());
        port = ntohs(v6.sin6_port);
    }
    ip = text.data();
}

// One connection. Reads are buffered (the library reads request lines byte by byte) and the
// buffer lives as long as the connection, so pipelined requests keep their bytes.
class ConnectionStream final : public httplib::Stream {
public:
    ConnectionStream(int fd, int readTimeoutMs, int writeTimeoutMs)
        : fd_(fd), readTimeoutMs_(readTimeoutMs), writeTimeoutMs_(writeTimeoutMs) {}

    void startHeaders() {
        inHeaders_ = true;
        headerBytes_ = 0;
    }
    void endHeaders() { inHeaders_ = false; }
    bool hasBuffered() const { return begin_ < end_; }

    bool is_readable() const override {
        return hasBuffered() || WaitFor(fd_, POLLIN, readTimeoutMs_);
    }
    bool is_writable() const override { return WaitFor(fd_, POLLOUT, writeTimeoutMs_); }

    ssize_t read(char* ptr, size_t size) override {
        if (inHeaders_) {
            if (headerBytes_ >= BoundedServer::kHeaderBudget) {
                return -1;
            }
            size = std::min(size, BoundedServer::kHeaderBudget - headerBytes_);
        }
        if (!hasBuffered()) {
            if (!is_readable()) {
                return -1;
            }
            ssize_t got = 0;
            do {
                got = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
            } while (got < 0 && errno == EINTR);
            if (got <= 0) {
                return got < 0 ? -1 : 0;
            }
            begin_ = 0;
            end_ = static_cast<size_t>(got);
        }
        const size_t count = std::min(size, end_ - begin_);
        std::memcpy(ptr, buffer_.data() + begin_, count);
        begin_ += count;
        if (inHeaders_) {
            headerBytes_ += count;
        }
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) {
            return -1;
        }
        ssize_t sent = 0;
        do {
            sent = ::send(fd_, ptr, size, MSG_NOSIGNAL);
        } while (sent < 0 && errno == EINTR);
        return sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            AddressText(address, ip, port);
        }
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            AddressText(address, ip, port);
        }
    }
    socket_t socket() const override { return fd_; }

private:
    int fd_;
    int readTimeoutMs_;
    int writeTimeoutMs_;
    std::array<char, 4096> buffer_{};
    size_t begin_ = 0;
    size_t end_ = 0;
    bool inHeaders_ = true;
    size_t headerBytes_ = 0;
};

int Milliseconds(time_t seconds, time_t microseconds) {
    return static_cast<int>(seconds * 1000 + microseconds / 1000);
}

} // namespace

bool BoundedServer::bind(const std::string& host, int port) {
    return bind_to_port(host, port) && ::listen(svr_sock_, kListenBacklog) == 0;
}

bool BoundedServer::process_and_close_socket(socket_t sock) {
    ConnectionStream stream(sock, Milliseconds(read_timeout_sec_, read_timeout_usec_),
                            Milliseconds(write_timeout_sec_, write_timeout_usec_));
    // Waits for the next request of a kept-alive connection, noticing stop() meanwhile.
    const auto nextRequestArrives = [&] {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
        while (svr_sock_ != INVALID_SOCKET && std::chrono::steady_clock::now() < deadline) {
            if (stream.hasBuffered() || WaitFor(sock, POLLIN, kStopCheckMs)) {
                return true;
            }
        }
        return false;
    };
    bool ok = false;
    for (size_t left = keep_alive_max_count_; left > 0 && nextRequestArrives(); --left) {
        stream.startHeaders();
        bool closed = false;
        ok = process_request(stream, left == 1, closed,
                             [&](httplib::Request&) { stream.endHeaders(); });
        if (!ok || closed) {
            break;
        }
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}

} // namespace zorlith
