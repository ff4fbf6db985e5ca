#include "executable_check.h"

#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace zorlith {

namespace {

// The updater only accepts files of its own class, so the native header layout reads them.
constexpr bool kNative64 = sizeof(void*) == 8;
using ElfHeader = std::conditional_t<kNative64, Elf64_Ehdr, Elf32_Ehdr>;
using ProgramHeader = std::conditional_t<kNative64, Elf64_Phdr, Elf32_Phdr>;
using SectionHeader = std::conditional_t<kNative64, Elf64_Shdr, Elf32_Shdr>;

class OpenFile {
public:
    explicit OpenFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~OpenFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    uint64_t size() const {
        struct stat info {};
        return ::fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    }
    template <typename T> bool readAt(uint64_t offset, T& out) const {
        return ::pread(fd_, &out, sizeof out, static_cast<off_t>(offset)) ==
               static_cast<ssize_t>(sizeof out);
    }

private:
    int fd_;
};

bool WithinFile(uint64_t offset, uint64_t length, uint64_t fileSize) {
    return offset <= fileSize && length <= fileSize - offset;
}

std::string Truncated(uint64_t fileSize, uint64_t needed) {
    return "文件不完整（" + std::to_string(fileSize) + " 字节，至少应有 " + std::to_string(needed) +
           " 字节）";
}

std::optional<std::string> HeaderTablesProblem(const OpenFile& file, const ElfHeader& header,
                                               uint64_t fileSize) {
    if (header.e_phnum == 0) {
        return "不是可执行程序（没有程序头）";
    }
    if (header.e_phentsize != sizeof(ProgramHeader) ||
        (header.e_shnum != 0 && header.e_shentsize != sizeof(SectionHeader))) {
        return "不是可执行程序（ELF 头已损坏）";
    }
    const uint64_t programTable = uint64_t{header.e_phnum} * sizeof(ProgramHeader);
    if (!WithinFile(header.e_phoff, programTable, fileSize)) {
        return Truncated(fileSize, header.e_phoff + programTable);
    }
    const uint64_t sectionTable = uint64_t{header.e_shnum} * sizeof(SectionHeader);
    if (!WithinFile(header.e_shoff, sectionTable, fileSize)) {
        return Truncated(fileSize, header.e_shoff + sectionTable);
    }

    bool hasInterpreter = false;
    for (uint64_t i = 0; i < header.e_phnum; ++i) {
        ProgramHeader segment{};
        if (!file.readAt(header.e_phoff + i * sizeof segment, segment)) {
            return Truncated(fileSize, header.e_phoff + programTable);
        }
        hasInterpreter = hasInterpreter || segment.p_type == PT_INTERP;
        if (!WithinFile(segment.p_offset, segment.p_filesz, fileSize)) {
            return Truncated(fileSize, segment.p_offset + segment.p_filesz);
        }
    }
    // A shared library is ET_DYN too; a position-independent program names its interpreter.
    if (header.e_type == ET_DYN && !hasInterpreter) {
        return "不是可执行程序（是共享库）";
    }
    for (uint64_t i = 0; i < header.e_shnum; ++i) {
        SectionHeader section{};
        if (!file.readAt(header.e_shoff + i * sizeof section, section)) {
            return Truncated(fileSize, header.e_shoff + sectionTable);
        }
        if (section.sh_type != SHT_NOBITS &&
            !WithinFile(section.sh_offset, section.sh_size, fileSize)) {
            return Truncated(fileSize, section.sh_offset + section.sh_size);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<MachineIdentity> RunningMachineIdentity() {
    const OpenFile self("/proc/self/exe");
    ElfHeader header{};
    if (!self.isOpen() || !self.readAt(0, header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
        return std::nullopt;
    }
    return MachineIdentity{header.e_ident[EI_CLASS], header.e_ident[EI_DATA], header.e_machine};
}

std::optional<std::string> ExecutableProblem(const std::string& path,
                                             const MachineIdentity& expected) {
    const OpenFile file(path);
    if (!file.isOpen()) {
        return "无法读取下载的文件";
    }
    const uint64_t fileSize = file.size();
    unsigned char ident[EI_NIDENT] = {};
    if (!file.readAt(0, ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        return "不是可执行程序（" + std::to_string(fileSize) + " 字节，没有 ELF 文件头）";
    }
    if (ident[EI_CLASS] != expected.elfClass || ident[EI_DATA] != expected.dataEncoding) {
        return "不是本机可以运行的程序（字长或字节序不同）";
    }
    ElfHeader header{};
    if (!file.readAt(0, header)) {
        return Truncated(fileSize, sizeof header);
    }
    if (header.e_machine != expected.machine) {
        return "不是本机可以运行的程序（机器类型 " + std::to_string(header.e_machine) +
               "，本机为 " + std::to_string(expected.machine) + "）";
    }
    if (header.e_type != ET_EXEC && header.e_type != ET_DYN) {
        return "不是可执行程序（ELF 类型 " + std::to_string(header.e_type) + "）";
    }
    return HeaderTablesProblem(file, header, fileSize);
}

} // namespace zorlith
