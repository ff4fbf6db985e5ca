#pragma once

#include <atomic>
#include <chrono>
#include <string>

namespace zorlith {

// The HTTP exchanges of the service layer. Both return the response body whatever the status;
// an empty result is the only failure signal.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    // A form POST with the fixed request headers; the body is sent unchanged.
    virtual std::string post(const std::string& url, const std::string& body) = 0;
    // A plain HTTP/1.0 GET.
    virtual std::string getUrl(const std::string& url) = 0;
};

// libcurl, one easy handle per request.
class CurlTransport final : public HttpTransport {
public:
    struct Limits {
        std::chrono::milliseconds connectTimeout{5000};
        std::chrono::milliseconds totalTimeout{15000};
        // A longer body counts as a failed exchange rather than filling memory.
        size_t maxBodyBytes = 16 * 1024 * 1024;
    };

    CurlTransport();
    // `cancel`, when given, aborts a running request as soon as it turns true.
    explicit CurlTransport(Limits limits, const std::atomic<bool>* cancel = nullptr);

    std::string post(const std::string& url, const std::string& body) override;
    std::string getUrl(const std::string& url) override;

private:
    Limits limits_;
    const std::atomic<bool>* cancel_ = nullptr;
};

} // namespace zorlith
