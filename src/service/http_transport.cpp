#include "service/http_transport.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace zorlith {

namespace {

// The request headers of every POST, in this order. Host and Content-Length are curl's own.
constexpr const char* kPostHeaders[] = {
    "Accept: */*",
    "Accept-Language: zh-CN",
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
    "Content-Type: application/x-www-form-urlencoded",
    "Accept-Encoding: deflate",
    "Connection: Keep-Alive",
    "Cache-Control: no-cache",
    // An empty value keeps curl from announcing "Expect: 100-continue".
    "Expect:",
};

constexpr const char* kGetUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

struct Download {
    std::string body;
    size_t maxBytes = 0;
    const std::atomic<bool>* cancel = nullptr;
};

size_t AppendBody(char* data, size_t size, size_t count, void* userData) {
    auto* download = static_cast<Download*>(userData);
    const size_t bytes = size * count;
    if (download->body.size() + bytes > download->maxBytes) {
        return 0; // curl ends the transfer with a write error
    }
    download->body.append(data, bytes);
    return bytes;
}

int CheckCancel(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* download = static_cast<const Download*>(userData);
    return download->cancel != nullptr && download->cancel->load() ? 1 : 0;
}

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The options every request shares; the caller adds the method's own.
EasyHandle NewRequest(const std::string& url, const CurlTransport::Limits& limits,
                      Download& download) {
    EasyHandle handle(curl_easy_init());
    if (!handle) {
        return handle;
    }
    CURL* easy = handle.get();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.connectTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CheckCancel);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &download);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    return handle;
}

std::string Perform(CURL* easy, Download& download) {
    if (curl_easy_perform(easy) != CURLE_OK) {
        return "";
    }
    return std::move(download.body);
}

} // namespace

CurlTransport::CurlTransport() : CurlTransport(Limits{}) {}

CurlTransport::CurlTransport(Limits limits, const std::atomic<bool>* cancel)
    : limits_(limits), cancel_(cancel) {
    InitialiseCurlOnce();
}

std::string CurlTransport::post(const std::string& url, const std::string& body) {
    Download download{{}, limits_.maxBodyBytes, cancel_};
    EasyHandle handle = NewRequest(url, limits_, download);
    if (!handle) {
        return "";
    }
    curl_slist* list = nullptr;
    for (const char* header : kPostHeaders) {
        curl_slist* extended = curl_slist_append(list, header);
        if (extended == nullptr) {
            curl_slist_free_all(list);
            return "";
        }
        list = extended;
    }
    const HeaderList headers(list);
    CURL* easy = handle.get();
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
    // Lets curl undo a deflate encoding the server chooses; the header above still names it.
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "deflate");
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    return Perform(easy, download);
}

std::string CurlTransport::getUrl(const std::string& url) {
    Download download{{}, limits_.maxBodyBytes, cancel_};
    EasyHandle handle = NewRequest(url, limits_, download);
    if (!handle) {
        return "";
    }
    HeaderList headers(curl_slist_append(nullptr, "Accept: */*"));
    if (!headers) {
        return "";
    }
    CURL* easy = handle.get();
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kGetUserAgent);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    return Perform(easy, download);
}

} // namespace zorlith
