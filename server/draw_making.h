#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorlith {

// One draw as the service keeps it: times are Unix seconds, numbers in place order.
struct StoredDraw {
    int64_t issue = 0;
    int64_t drawnAt = 0;
    std::string numbers; // "03,10,…", ten two-digit cars joined by ","
    int32_t seed = 0;

    bool operator==(const StoredDraw&) const = default;
};

// Bytes from the kernel's cryptographic generator.
void FillSecureRandom(void* buffer, size_t size);
// Uniform in [0, bound) from the cryptographic generator, without modulo bias.
uint32_t SecureUniform(uint32_t bound);
// `length` characters of [0-9A-Za-z].
std::string SecureAlphanumeric(size_t length);

// A uniform random order of the ten cars, as "03,10,…".
std::string RandomCarOrder();
// A random signed 32-bit seed that is never 0 (the engine skips draws fed with seed 0).
int32_t RandomNonZeroSeed();

// The latest multiple of period at or before unixTime.
int64_t LatestMultiple(int64_t unixTime, int64_t period);

// "YYYY-MM-DD HH:MM:SS" in the machine's local time.
std::string LocalDateTime(int64_t unixTime);

// Lines "issue n1 … n10" of a file of real draws, oldest first.
struct ImportedDraw {
    int64_t issue = 0;
    std::string numbers;
};
struct ImportResult {
    std::vector<ImportedDraw> draws;
    // One text per malformed line, starting with its line number; empty when the file is sound.
    std::vector<std::string> problems;
};
// Blank lines are skipped; every other line must hold an issue above the previous one and the
// ten cars 01..10, each exactly once. Any problem refuses the whole file.
ImportResult ParseImport(std::string_view text);

} // namespace zorlith
