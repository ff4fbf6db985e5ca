#include "plan/name_seed.h"

#include <array>
#include <charconv>
#include <iconv.h>
#include <nettle/md5.h>

namespace zorlith {
namespace {

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) {
            iconv_close(handle_);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// Length of the well-formed UTF-8 sequence at the start of `text`; 1 for a stray byte.
size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 1;
    if (length > text.size()) {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

uint32_t LeadingHexValue(std::string_view hex, size_t digits) {
    uint32_t value = 0;
    std::from_chars(hex.data(), hex.data() + digits, value, 16);
    return value;
}

} // namespace

std::string ToGbk(std::string_view utf8) {
    IconvHandle converter("GBK", "UTF-8");
    if (!converter.valid()) {
        return std::string(utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const size_t length = Utf8SequenceLength(utf8.substr(pos));
        if (length == 1) {
            out += utf8[pos++];
            continue;
        }
        std::array<char, 8> buffer{};
        char* in = const_cast<char*>(utf8.data() + pos);
        size_t inLeft = length;
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        if (iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
            out += '?';
        } else {
            out.append(buffer.data(), buffer.size() - outLeft);
        }
        pos += length;
    }
    return out;
}

std::string Md5Hex(std::string_view bytes) {
    md5_ctx context;
    md5_init(&context);
    md5_update(&context, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
    std::array<uint8_t, MD5_DIGEST_SIZE> digest{};
    md5_digest(&context, digest.size(), digest.data());
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    return hex;
}

int32_t NameSeed(std::string_view name) {
    return static_cast<int32_t>(LeadingHexValue(Md5Hex(ToGbk(name)), 6));
}

int32_t PlanSeed(std::string_view title) {
    const auto value = static_cast<int32_t>(LeadingHexValue(Md5Hex(ToGbk(title)), 8));
    // The absolute value of the lowest int32 does not exist; it stays as it is, as it would in
    // 32-bit two's complement.
    return value < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(value)) : value;
}

} // namespace zorlith
