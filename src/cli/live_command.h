#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace zorlith::cli {

// The window's start-up on the console, the plan text, then the live draws until Ctrl+C (or
// only the plan text with --once). Exit code 0 done, 1 start-up failed (the window's message
// texts on `err`), 2 refused command line, 130 interrupted during start-up.
int RunLive(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
            bool outIsTerminal);

} // namespace zorlith::cli
