#pragma once

#include "cli/command_line.h"
#include "draws/draw_history.h"

#include <optional>
#include <string_view>

namespace zorlith::cli {

// True for ten fields "01" to "10" joined by ",".
bool IsDrawNumbersText(std::string_view numbers);

// Reads a rows file in the draw service's format (newest first; fields tag, issue, draw time,
// numbers, seed joined by "|+|"; lines ended by "\r\n" or "\n"; blank lines are skipped).
// Any malformed line refuses the whole file, naming the line. The seed is read like every
// number text of a draw (leading digits; 0, and so a skipped draw, when there are none).
std::optional<DrawRows> ParseDrawRowsText(std::string_view text, std::string_view fileName,
                                          UsageError& error);

} // namespace zorlith::cli
