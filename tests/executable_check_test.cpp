#include "executable_check.h"
#include "updater_test_support.h"

#include <cstddef>
#include <cstring>
#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>

namespace zorlith::testing {
namespace {

class ExecutableCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto running = RunningMachineIdentity();
        ASSERT_TRUE(running.has_value());
        machine_ = *running;
        program_ = ReadBytes("/proc/self/exe");
    }

    std::optional<std::string> problemOf(const std::string& bytes) {
        const fs::path path = temp_.path() / "download";
        WriteBytes(path, bytes);
        return ExecutableProblem(path.string(), machine_);
    }
    template <typename T> void patch(std::string& bytes, size_t offset, T value) {
        std::memcpy(bytes.data() + offset, &value, sizeof value);
    }
    ElfW(Ehdr) header() const {
        ElfW(Ehdr) parsed{};
        std::memcpy(&parsed, program_.data(), sizeof parsed);
        return parsed;
    }

    TempDir temp_;
    MachineIdentity machine_;
    std::string program_;
};

TEST_F(ExecutableCheckTest, TheRunningProgramIsForThisMachine) {
    EXPECT_EQ(machine_.elfClass, sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32);
    EXPECT_EQ(problemOf(program_), std::nullopt);
}

TEST_F(ExecutableCheckTest, BytesAppendedAfterTheProgramDoNoHarm) {
    EXPECT_EQ(problemOf(program_ + "trailing bytes"), std::nullopt);
}

TEST_F(ExecutableCheckTest, EveryCutIsNoticed) {
    for (const size_t length : {size_t{0}, size_t{4}, sizeof(ElfW(Ehdr)) - 1, sizeof(ElfW(Ehdr)),
                                size_t{4096}, program_.size() / 2, program_.size() - 1}) {
        const auto problem = problemOf(program_.substr(0, length));
        ASSERT_TRUE(problem.has_value()) << length;
    }
    const auto problem = problemOf(program_.substr(0, program_.size() / 2));
    EXPECT_NE(problem->find("文件不完整"), std::string::npos) << *problem;
}

TEST_F(ExecutableCheckTest, ACutInsideASegmentIsNoticedWithoutTheSectionTable) {
    // Without section headers only the segments tell the true length.
    std::string bytes = program_;
    patch(bytes, offsetof(ElfW(Ehdr), e_shnum), ElfW(Half){0});
    patch(bytes, offsetof(ElfW(Ehdr), e_shoff), ElfW(Off){0});
    EXPECT_EQ(problemOf(bytes), std::nullopt);
    size_t segmentsEnd = 0;
    for (size_t i = 0; i < header().e_phnum; ++i) {
        ElfW(Phdr) segment{};
        std::memcpy(&segment, program_.data() + header().e_phoff + i * sizeof segment,
                    sizeof segment);
        segmentsEnd = std::max<size_t>(segmentsEnd, segment.p_offset + segment.p_filesz);
    }
    const auto problem = problemOf(bytes.substr(0, segmentsEnd - 1));
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("文件不完整"), std::string::npos) << *problem;
}

TEST_F(ExecutableCheckTest, TextIsNotAProgram) {
    const auto problem = problemOf("#!/bin/sh\necho hello\n");
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("没有 ELF 文件头"), std::string::npos) << *problem;
}

TEST_F(ExecutableCheckTest, AnotherMachineIsRefused) {
    std::string bytes = program_;
    patch(bytes, offsetof(ElfW(Ehdr), e_machine), ElfW(Half){EM_RISCV});
    const auto problem = problemOf(bytes);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("机器类型 " + std::to_string(EM_RISCV)), std::string::npos) << *problem;
}

TEST_F(ExecutableCheckTest, AnotherWordSizeOrByteOrderIsRefused) {
    std::string otherClass = program_;
    otherClass[EI_CLASS] =
        static_cast<char>(machine_.elfClass == ELFCLASS64 ? ELFCLASS32 : ELFCLASS64);
    EXPECT_TRUE(problemOf(otherClass).has_value());
    std::string otherOrder = program_;
    otherOrder[EI_DATA] =
        static_cast<char>(machine_.dataEncoding == ELFDATA2LSB ? ELFDATA2MSB : ELFDATA2LSB);
    EXPECT_TRUE(problemOf(otherOrder).has_value());
}

TEST_F(ExecutableCheckTest, AnObjectFileIsNotAProgram) {
    std::string bytes = program_;
    patch(bytes, offsetof(ElfW(Ehdr), e_type), ElfW(Half){ET_REL});
    const auto problem = problemOf(bytes);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("ELF 类型"), std::string::npos) << *problem;
}

TEST_F(ExecutableCheckTest, ASharedLibraryIsNotAProgram) {
    // A library this test runs with: ET_DYN without an interpreter.
    std::string library;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* found) {
            const std::string name = info->dlpi_name;
            if (name.find("libstdc++") != std::string::npos) {
                *static_cast<std::string*>(found) = name;
                return 1;
            }
            return 0;
        },
        &library);
    ASSERT_FALSE(library.empty());
    const auto problem = problemOf(ReadBytes(library));
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("共享库"), std::string::npos) << *problem;
}

TEST_F(ExecutableCheckTest, AHeaderTableOutsideTheFileIsRefused) {
    std::string bytes = program_;
    patch(bytes, offsetof(ElfW(Ehdr), e_phoff), ElfW(Off){~ElfW(Off){0} - 8});
    EXPECT_TRUE(problemOf(bytes).has_value());
}

TEST_F(ExecutableCheckTest, AMissingFileIsReported) {
    EXPECT_TRUE(ExecutableProblem((temp_.path() / "none").string(), machine_).has_value());
}

} // namespace
} // namespace zorlith::testing
