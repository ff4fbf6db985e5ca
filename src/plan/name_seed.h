#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorlith {

// The GBK bytes of a UTF-8 text, as the names were stored where the seeds were first derived.
// A character without a GBK form becomes "?"; invalid UTF-8 bytes are taken over unchanged.
std::string ToGbk(std::string_view utf8);

// The MD5 digest as 32 lower-case hexadecimal digits.
std::string Md5Hex(std::string_view bytes);

// The first 6 hex digits of the MD5 of the name's GBK bytes: 0 to 16777215.
int32_t NameSeed(std::string_view name);

// The absolute value of the first 8 hex digits of the MD5 of the title's GBK bytes, read as a
// signed 32-bit number.
int32_t PlanSeed(std::string_view title);

} // namespace zorlith
