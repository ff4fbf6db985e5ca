#include "drawd_options.h"

#include "draws/number_text.h"

#include <cstdlib>
#include <filesystem>

namespace zorlith {

namespace {

bool IsPlainNumber(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

std::optional<DrawdOptions> ParseDrawdOptions(const std::vector<std::string>& args,
                                              std::string& error) {
    DrawdOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            error = name.starts_with("--") ? "选项 " + name + " 缺少取值" : "未知参数 " + name;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (name == "--listen") {
            const size_t colon = value.rfind(':');
            const std::string port = colon == std::string::npos ? "" : value.substr(colon + 1);
            if (colon == 0 || !IsPlainNumber(port) || TextToInt(port) < 1 ||
                TextToInt(port) > 65535) {
                error = "--listen 应为 地址:端口，例如 127.0.0.1:19200";
                return std::nullopt;
            }
            options.host = value.substr(0, colon);
            options.port = TextToInt(port);
        } else if (name == "--db") {
            options.dbPath = value;
        } else if (name == "--period") {
            if (!IsPlainNumber(value) || TextToInt(value) < 1 || TextToInt(value) > 86400) {
                error = "--period 应为 1 到 86400 秒";
                return std::nullopt;
            }
            options.period = TextToInt(value);
        } else if (name == "--import") {
            options.importPath = value;
        } else if (name == "--announce-version") {
            options.announceVersion = value;
        } else if (name == "--proupurl") {
            options.proupUrl = value;
        } else {
            error = "未知选项 " + name;
            return std::nullopt;
        }
    }
    return options;
}

std::string DefaultDbPath() {
    namespace fs = std::filesystem;
    fs::path directory;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        directory = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        directory = fs::path(home) / ".local" / "share";
    } else {
        directory = fs::current_path();
    }
    directory /= "zorlith";
    std::error_code ignored;
    fs::create_directories(directory, ignored);
    return (directory / "drawd.sqlite").string();
}

} // namespace zorlith
