#pragma once

#include "service/http_transport.h"

#include <atomic>

namespace zorlith {

// Runs each request of the inner transport on a worker thread while the GUI thread keeps
// processing events, so the window repaints, the countdown runs and clicks are handled during a
// slow request. A handler that polls again meanwhile is turned away by the issue clock's busy
// flag.
class EventPumpingTransport final : public HttpTransport {
public:
    // `cancel` is the flag the inner transport watches to abort a running request.
    EventPumpingTransport(HttpTransport& inner, std::atomic<bool>& cancel)
        : inner_(inner), cancel_(cancel) {}

    std::string post(const std::string& url, const std::string& body) override;
    std::string getUrl(const std::string& url) override;

    // The program is ending: a running request is aborted and every later one fails at once.
    void stop() { cancel_ = true; }
    bool stopped() const { return cancel_; }

private:
    template <typename Request> std::string runWhilePumping(Request request);

    HttpTransport& inner_;
    std::atomic<bool>& cancel_;
};

} // namespace zorlith
