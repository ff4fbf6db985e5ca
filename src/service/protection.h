#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The payload protection that client and service share: two RC4 layers, each written as
// upper-case hexadecimal. All texts here are byte strings; the service's texts are UTF-8.
namespace zorlith {

// The fixed key of the outer request layer and of the exchanged key; assembled from its pieces
// on every call so that it never stands whole in the program image.
std::string TransportKey();

// RC4 with a fresh keystream, nothing discarded; enciphering and deciphering are the same.
// Only the first 256 key bytes take part in RC4's key schedule; an empty key (which RC4 does not
// define) leaves the bytes unchanged.
std::string Arcfour(std::string_view key, std::string_view bytes);

// Two upper-case digits per byte.
std::string HexEncode(std::string_view bytes);
// Pairs of digits of either case; a final single digit is one byte of its value. Nullopt when
// any character is not a hexadecimal digit.
std::optional<std::string> HexDecode(std::string_view hex);

// Decimal text of rand times the response-key factor: 7 gives "219359".
std::string ResponseKey(int32_t rand);

// The request payload: hex(RC4(hex(RC4(text, TransportKey)), exchangeKey)). The text is the
// URL-escaped request, so the result is exactly four times its length.
std::string SealPayload(std::string_view text, std::string_view exchangeKey);
// The service's reverse of SealPayload: the URL-escaped request text, or nullopt when either
// hex layer does not decode.
std::optional<std::string> OpenPayload(std::string_view hex, std::string_view exchangeKey);

// The key exchange's data member: hex(RC4(key, TransportKey)).
std::string SealExchangeKey(std::string_view key);
std::optional<std::string> OpenExchangeKey(std::string_view hex);

// A protected reply data member: hex(RC4(hex(RC4(json, ResponseKey(rand))), TransportKey)).
std::string SealData(std::string_view utf8Json, int32_t rand);
std::optional<std::string> OpenData(std::string_view hex, int32_t rand);

// Percent-escapes every byte outside ASCII letters, digits and "-._~" as %XX (upper case).
std::string UrlEscape(std::string_view text);
// Standard percent-decoding; other characters pass unchanged. Nullopt when a "%" is not
// followed by two hexadecimal digits.
std::optional<std::string> UrlUnescape(std::string_view text);

} // namespace zorlith
