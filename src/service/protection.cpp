#include "service/protection.h"

#include <algorithm>
#include <array>
#include <nettle/arcfour.h>

namespace zorlith {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// The factor is kept as a ratio so that it never stands as one literal either.
constexpr int64_t kResponseKeyNumerator = 62674;
constexpr int64_t kResponseKeyDenominator = 2;

std::optional<uint8_t> HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<uint8_t>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<uint8_t>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<uint8_t>(c - 'a' + 10);
    }
    return std::nullopt;
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

} // namespace

std::string TransportKey() {
    const std::array<int, 6> numbers{3, 1415, 92, 65, 358, 979};
    const std::array<std::string_view, 5> letters{"xq", "ab", "k", "tz", "m"};
    std::string key;
    for (size_t i = 0; i < numbers.size(); ++i) {
        key += std::to_string(numbers[i]);
        if (i < letters.size()) {
            key += letters[i];
        }
    }
    return key;
}

std::string Arcfour(std::string_view key, std::string_view bytes) {
    if (key.empty()) {
        return std::string(bytes);
    }
    arcfour_ctx context{};
    const size_t keyLength = std::min<size_t>(key.size(), ARCFOUR_MAX_KEY_SIZE);
    arcfour_set_key(&context, keyLength, reinterpret_cast<const uint8_t*>(key.data()));
    std::string out(bytes.size(), '\0');
    arcfour_crypt(&context, bytes.size(), reinterpret_cast<uint8_t*>(out.data()),
                  reinterpret_cast<const uint8_t*>(bytes.data()));
    return out;
}

std::string HexEncode(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0x0F];
    }
    return hex;
}

std::optional<std::string> HexDecode(std::string_view hex) {
    std::string bytes;
    bytes.reserve(hex.size() / 2 + 1);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const auto high = HexDigitValue(hex[i]);
        if (!high) {
            return std::nullopt;
        }
        if (i + 1 == hex.size()) {
            bytes += static_cast<char>(*high);
            break;
        }
        const auto low = HexDigitValue(hex[i + 1]);
        if (!low) {
            return std::nullopt;
        }
        bytes += static_cast<char>((*high << 4) | *low);
    }
    return bytes;
}

std::string ResponseKey(int32_t rand) {
    return std::to_string(int64_t{rand} * (kResponseKeyNumerator / kResponseKeyDenominator));
}

std::string SealPayload(std::string_view text, std::string_view exchangeKey) {
    return HexEncode(Arcfour(exchangeKey, HexEncode(Arcfour(TransportKey(), text))));
}

std::optional<std::string> OpenPayload(std::string_view hex, std::string_view exchangeKey) {
    const auto outer = HexDecode(hex);
    if (!outer) {
        return std::nullopt;
    }
    const auto inner = HexDecode(Arcfour(exchangeKey, *outer));
    if (!inner) {
        return std::nullopt;
    }
    return Arcfour(TransportKey(), *inner);
}

std::string SealExchangeKey(std::string_view key) {
    return HexEncode(Arcfour(TransportKey(), key));
}

std::optional<std::string> OpenExchangeKey(std::string_view hex) {
    const auto bytes = HexDecode(hex);
    if (!bytes) {
        return std::nullopt;
    }
    return Arcfour(TransportKey(), *bytes);
}

std::string SealData(std::string_view utf8Json, int32_t rand) {
    return HexEncode(Arcfour(TransportKey(), HexEncode(Arcfour(ResponseKey(rand), utf8Json))));
}

std::optional<std::string> OpenData(std::string_view hex, int32_t rand) {
    const auto outer = HexDecode(hex);
    if (!outer) {
        return std::nullopt;
    }
    const auto inner = HexDecode(Arcfour(TransportKey(), *outer));
    if (!inner) {
        return std::nullopt;
    }
    return Arcfour(ResponseKey(rand), *inner);
}

std::string UrlEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHexDigits[byte >> 4];
            escaped += kHexDigits[byte & 0x0F];
        }
    }
    return escaped;
}

std::optional<std::string> UrlUnescape(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            plain += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const auto high = HexDigitValue(text[i + 1]);
        const auto low = HexDigitValue(text[i + 2]);
        if (!high || !low) {
            return std::nullopt;
        }
        plain += static_cast<char>((*high << 4) | *low);
        i += 2;
    }
    return plain;
}

} // namespace zorlith
