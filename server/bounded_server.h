#pragma once

#include <httplib.h>

namespace zorlith {

// The HTTP server with a bound on what one request's line and headers may take. The library
// buffers a request line or header line until its end, however long; here a connection whose
// request line and headers exceed kHeaderBudget bytes is dropped instead, so that one client
// cannot fill the service's memory. Bodies are bounded by the handlers.
class BoundedServer : public httplib::Server {
public:
    static constexpr size_t kHeaderBudget = 64 * 1024;
    static constexpr int kListenBacklog = 1024;

    // Binds as the library does, then lets many clients queue at once: the library's backlog of
    // 5 drops the connections of a burst of clients, which then wait a second or more to retry.
    bool bind(const std::string& host, int port);

private:
    bool process_and_close_socket(socket_t sock) override;
};

} // namespace zorlith
