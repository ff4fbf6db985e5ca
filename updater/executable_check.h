#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorlith {

// What an ELF file must share with the running updater to run on this machine.
struct MachineIdentity {
    unsigned char elfClass = 0;
    unsigned char dataEncoding = 0;
    uint16_t machine = 0;
};

// The identity of the running program, read from its own file; nullopt when it cannot be read.
std::optional<MachineIdentity> RunningMachineIdentity();

// Why the file at `path` cannot replace the program, as a text for the user; nullopt when it is a
// complete ELF executable for `expected`. Complete means every header table and every segment and
// section that occupies file space lies within the file, so a cut-off download is refused.
std::optional<std::string> ExecutableProblem(const std::string& path,
                                             const MachineIdentity& expected);

} // namespace zorlith
