#include "download.h"

#include <cerrno>
#include <cstring>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace zorlith {

namespace {

struct Transfer {
    int fd;
    int64_t maxBytes;
    int64_t received = 0;
    bool tooLarge = false;
    int writeError = 0;
    const DownloadProgress* progress;
    const std::atomic<bool>* cancel;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    if (transfer.received + static_cast<int64_t>(length) > transfer.maxBytes) {
        transfer.tooLarge = true;
        return CURL_WRITEFUNC_ERROR;
    }
    size_t written = 0;
    while (written < length) {
        const ssize_t step = ::write(transfer.fd, data + written, length - written);
        if (step < 0 && errno == EINTR) {
            continue;
        }
        if (step <= 0) {
            transfer.writeError = step < 0 ? errno : ENOSPC;
            return CURL_WRITEFUNC_ERROR;
        }
        written += static_cast<size_t>(step);
    }
    transfer.received += static_cast<int64_t>(length);
    return length;
}

int ReportProgress(void* user, curl_off_t expected, curl_off_t received, curl_off_t, curl_off_t) {
    auto& transfer = *static_cast<Transfer*>(user);
    if (transfer.cancel != nullptr && transfer.cancel->load()) {
        return 1;
    }
    if (*transfer.progress) {
        (*transfer.progress)(static_cast<int64_t>(received), static_cast<int64_t>(expected));
    }
    return 0;
}

const char* FailureText(CURLcode result) {
    switch (result) {
    case CURLE_UNSUPPORTED_PROTOCOL:
        return "更新地址不是 http 或 https 地址";
    case CURLE_URL_MALFORMAT:
        return "更新地址无效";
    case CURLE_COULDNT_RESOLVE_HOST:
        return "找不到更新服务器";
    case CURLE_COULDNT_CONNECT:
        return "无法连接更新服务器";
    case CURLE_OPERATION_TIMEDOUT:
        return "连接更新服务器超时";
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
        return "下载中途断开";
    case CURLE_TOO_MANY_REDIRECTS:
        return "更新地址转向次数过多";
    default:
        return "网络错误";
    }
}

std::string MegabytesText(int64_t bytes) {
    return std::to_string(bytes / (1024 * 1024)) + " MB";
}

} // namespace

std::optional<std::string> DownloadToFile(int fd, const std::string& url,
                                          const DownloadLimits& limits,
                                          const DownloadProgress& progress,
                                          const std::atomic<bool>* cancel) {
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   &curl_easy_cleanup);
    if (!curl) {
        return std::string("无法初始化网络下载");
    }
    Transfer transfer{fd, limits.maxBytes, 0, false, 0, &progress, cancel};
    char curlError[CURL_ERROR_SIZE] = {};
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, limits.totalTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits.stallBytesPerSecond);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &ReportProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, curlError);

    const CURLcode result = curl_easy_perform(handle);
    if (result == CURLE_OK) {
        return std::nullopt;
    }
    if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        return "下载的文件超过 " + MegabytesText(limits.maxBytes) + " 的上限";
    }
    if (transfer.writeError != 0) {
        return "无法写入下载的文件：" + std::string(std::strerror(transfer.writeError));
    }
    if (result == CURLE_ABORTED_BY_CALLBACK) {
        return std::string("下载已取消");
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (result == CURLE_HTTP_RETURNED_ERROR) {
        return "服务器拒绝了下载（HTTP " + std::to_string(status) + "）";
    }
    const std::string detail = curlError[0] != '\0' ? curlError : curl_easy_strerror(result);
    return std::string(FailureText(result)) + "（" + detail + "）";
}

} // namespace zorlith
