#include "draw_making.h"

#include "draws/text_split.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/random.h>

namespace zorlith {

namespace {

constexpr int64_t kLargestIssue = 2'000'000'000;

bool IsDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::vector<std::string_view> SplitBlanks(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            fields.push_back(line.substr(start, i - start));
        }
    }
    return fields;
}

} // namespace

void FillSecureRandom(void* buffer, size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ssize_t got = getrandom(bytes, size, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            // Without a cryptographic source the service must not invent keys or draws.
            std::perror("zorlith-drawd: getrandom");
            std::abort();
        }
        bytes += got;
        size -= static_cast<size_t>(got);
    }
}

uint32_t SecureUniform(uint32_t bound) {
    const uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
    for (;;) {
        uint32_t value = 0;
        FillSecureRandom(&value, sizeof value);
        if (value < limit) {
            return value % bound;
        }
    }
}

std::string SecureAlphanumeric(size_t length) {
    static constexpr std::string_view kAlphabet =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::string text;
    text.reserve(length);
    std::array<unsigned char, 64> pool{};
    while (text.size() < length) {
        FillSecureRandom(pool.data(), pool.size());
        for (const unsigned char byte : pool) {
            // 248 = 4 × 62: bytes at or above it would favour the first characters.
            if (byte < 248 && text.size() < length) {
                text += kAlphabet[byte % kAlphabet.size()];
            }
        }
    }
    return text;
}

std::string RandomCarOrder() {
    std::array<int, 10> cars{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (uint32_t i = 9; i > 0; --i) {
        std::swap(cars[i], cars[SecureUniform(i + 1)]);
    }
    std::string text;
    for (size_t i = 0; i < cars.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        text += static_cast<char>('0' + cars[i] / 10);
        text += static_cast<char>('0' + cars[i] % 10);
    }
    return text;
}

int32_t RandomNonZeroSeed() {
    for (;;) {
        int32_t seed = 0;
        FillSecureRandom(&seed, sizeof seed);
        if (seed != 0) {
            return seed;
        }
    }
}

int64_t LatestMultiple(int64_t unixTime, int64_t period) {
    const int64_t remainder = unixTime % period;
    return unixTime - (remainder < 0 ? remainder + period : remainder);
}

std::string LocalDateTime(int64_t unixTime) {
    const auto seconds = static_cast<time_t>(unixTime);
    std::tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 32> text{};
    const size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text.data(), length);
}

ImportResult ParseImport(std::string_view text) {
    ImportResult result;
    int64_t previousIssue = 0;
    const auto lines = SplitText(text, "\n");
    for (size_t index = 0; index < lines.size(); ++index) {
        std::string_view line = lines[index];
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const auto fields = SplitBlanks(line);
        if (fields.empty()) {
            continue;
        }
        const std::string where = "第 " + std::to_string(index + 1) + " 行：";
        if (fields.size() != 11) {
            result.problems.push_back(where + "应为期号加 10 个号码，实有 " +
                                      std::to_string(fields.size()) + " 项");
            continue;
        }
        if (!IsDigits(fields[0]) || fields[0].size() > 10 ||
            std::stoll(std::string(fields[0])) > kLargestIssue ||
            std::stoll(std::string(fields[0])) == 0) {
            result.problems.push_back(where + "期号“" + std::string(fields[0]) +
                                      "”不是 1 到 2000000000 之间的十进制数");
            continue;
        }
        const int64_t issue = std::stoll(std::string(fields[0]));
        std::array<bool, 11> seen{};
        std::string numbers;
        bool sound = true;
        for (size_t place = 1; place <= 10 && sound; ++place) {
            const std::string_view car = fields[place];
            const bool twoDigits = car.size() == 2 && IsDigits(car);
            const int value = twoDigits ? (car[0] - '0') * 10 + (car[1] - '0') : 0;
            if (value < 1 || value > 10 || seen[static_cast<size_t>(value)]) {
                result.problems.push_back(where + "第 " + std::to_string(place) + " 名号码“" +
                                          std::string(car) + "”不是 01 到 10 中尚未出现的两位号码");
                sound = false;
                break;
            }
            seen[static_cast<size_t>(value)] = true;
            numbers += (place > 1 ? "," : "") + std::string(car);
        }
        if (!sound) {
            continue;
        }
        if (issue <= previousIssue) {
            result.problems.push_back(where + "期号 " + std::to_string(issue) +
                                      " 不大于上一行的期号 " + std::to_string(previousIssue));
            continue;
        }
        previousIssue = issue;
        result.draws.push_back({issue, std::move(numbers)});
    }
    if (result.problems.empty() && result.draws.empty()) {
        result.problems.push_back("文件中没有开奖记录");
    }
    return result;
}

} // namespace zorlith
