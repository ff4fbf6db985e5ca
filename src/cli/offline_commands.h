#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace zorlith::cli {

// Each returns the exit code: 0 done, 2 refused (one line on `err`, nothing on `out`).
int RunPredict(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
int RunVerify(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
int RunReplay(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

// The line of a refusal.
int Refuse(std::ostream& err, std::string_view message);

} // namespace zorlith::cli
