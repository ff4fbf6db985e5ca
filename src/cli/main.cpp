#include "cli/live_command.h"
#include "cli/offline_commands.h"

#include <iostream>
#include <string_view>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    using namespace zorlith::cli;
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (!args.empty() && !args.front().starts_with("--")) {
        const std::string_view command = args.front();
        const std::span<const std::string_view> rest(args.begin() + 1, args.end());
        if (command == "predict") {
            return RunPredict(rest, std::cout, std::cerr);
        }
        if (command == "verify") {
            return RunVerify(rest, std::cout, std::cerr);
        }
        if (command == "replay") {
            return RunReplay(rest, std::cout, std::cerr);
        }
        return Refuse(std::cerr, "unknown command: " + std::string(command));
    }
    return RunLive(args, std::cout, std::cerr, isatty(STDOUT_FILENO) == 1);
}
