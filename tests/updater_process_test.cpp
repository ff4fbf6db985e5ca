// The real zorlith-updater, run as the desktop tool runs it, next to a copy of the program, against
// the real zorlith-drawd serving the new build.
#include "updater_test_support.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <elf.h>
#include <gtest/gtest.h>

namespace zorlith::testing {
namespace {

const std::string kTitle = "ZorlithPK10平刷冠军单双";

// A program directory with the old build and the updater beside it, as the hand-off leaves it.
class UpdaterProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(appDir());
        CopyExecutable(ZORLITH_PROBE_OLD, program());
        CopyExecutable(ZORLITH_UPDATER, appDir() / "更新器");
        oldBytes_ = ReadBytes(program());
    }

    fs::path appDir() const { return temp_.path() / "app"; }
    fs::path program() const { return appDir() / "zorlith-pk10"; }
    fs::path serviceDir() const { return temp_.path() / "service"; }

    ChildProcess runUpdater(std::vector<std::string> args, ChildProcess::Options options = {}) {
        options.environment.emplace_back("ZORLITH_UPDATER_NO_WINDOW", "1");
        return ChildProcess(appDir() / "更新器", std::move(args), temp_.path() / "updater.log",
                            options);
    }
    std::vector<std::string> argsFor(const std::string& url) const {
        return {kTitle, "1.15", "1.2", url, "zorlith-pk10"};
    }

    // The old build is still there byte for byte, runs, and nothing was left beside it.
    void expectOldProgramUntouched() {
        EXPECT_EQ(ReadBytes(program()), oldBytes_);
        EXPECT_TRUE(IsExecutableFile(program()));
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(appDir())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"zorlith-pk10", "更新器"}));
        ChildProcess old(program(), {}, temp_.path() / "old.log");
        EXPECT_EQ(old.waitExit(), 0);
        EXPECT_TRUE(fs::exists(appDir() / "ran-old"));
    }

    TempDir temp_;
    std::string oldBytes_;
};

TEST_F(UpdaterProcessTest, ReplacesTheProgramAndStartsTheNewBuild) {
    const std::string newBytes = ReadBytes(ZORLITH_PROBE_NEW);
    UpdateService service(serviceDir(), newBytes);
    ASSERT_TRUE(service.serving()) << service.log();

    ChildProcess updater = runUpdater(argsFor(service.downloadUrl()));
    ASSERT_EQ(updater.waitExit(), 0) << updater.log();

    EXPECT_EQ(ReadBytes(program()), newBytes);
    EXPECT_TRUE(IsExecutableFile(program()));
    EXPECT_TRUE(WaitFor([this] { return fs::exists(appDir() / "ran-new"); }));
    EXPECT_FALSE(fs::exists(appDir() / "ran-old"));
    EXPECT_FALSE(fs::exists(appDir() / ".zorlith-pk10.old")) << "the backup outlived the start";
    EXPECT_EQ(updater.log(), "");
}

TEST_F(UpdaterProcessTest, WaitsForTheOldProgramToEndBeforeReplacingIt) {
    CopyExecutable(ZORLITH_PROBE_LINGERING, program());
    UpdateService service(serviceDir(), ReadBytes(ZORLITH_PROBE_NEW));
    ASSERT_TRUE(service.serving()) << service.log();
    ChildProcess old(program(), {}, temp_.path() / "old.log");
    ASSERT_TRUE(WaitFor([this] { return SomeProcessRuns(program()); }));

    ChildProcess updater = runUpdater(argsFor(service.downloadUrl()));
    ASSERT_EQ(updater.waitExit(), 0) << updater.log();
    EXPECT_EQ(old.waitExit(), 0);

    // The old program wrote its file as it ended; the new one was written after that.
    ASSERT_TRUE(fs::exists(appDir() / "ran-lingering"));
    EXPECT_LE(fs::last_write_time(appDir() / "ran-lingering"), fs::last_write_time(program()));
    EXPECT_TRUE(WaitFor([this] { return fs::exists(appDir() / "ran-new"); }));
}

struct FailedDownload {
    const char* name;
    // What the service serves; nullopt serves nothing (HTTP 404).
    std::function<std::optional<std::string>()> served;
    const char* expectedMessage;
};

void PrintTo(const FailedDownload& row, std::ostream* out) {
    *out << row.name;
}

class FailedDownloadTest : public UpdaterProcessTest,
                           public ::testing::WithParamInterface<FailedDownload> {};

TEST_P(FailedDownloadTest, LeavesTheOldProgramRunnableAndSaysWhy) {
    UpdateService service(serviceDir(), GetParam().served());
    ASSERT_TRUE(service.serving()) << service.log();

    ChildProcess updater = runUpdater(argsFor(service.downloadUrl()));
    ASSERT_EQ(updater.waitExit(), 1);

    const std::string message = updater.log();
    EXPECT_NE(message.find(GetParam().expectedMessage), std::string::npos) << message;
    EXPECT_NE(message.find("程序未作改动"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "one message: " << message;
    expectOldProgramUntouched();
}

std::string NewBuildWithMachine(uint16_t machine) {
    std::string bytes = ReadBytes(ZORLITH_PROBE_NEW);
    std::memcpy(bytes.data() + offsetof(Elf64_Ehdr, e_machine), &machine, sizeof machine);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Downloads, FailedDownloadTest,
    ::testing::Values(FailedDownload{"NothingToDownload", [] { return std::nullopt; }, "HTTP 404"},
                      FailedDownload{"Truncated",
                                     [] {
                                         const std::string whole = ReadBytes(ZORLITH_PROBE_NEW);
                                         return whole.substr(0, whole.size() / 2);
                                     },
                                     "文件不完整"},
                      FailedDownload{"CutByOneByte",
                                     [] {
                                         const std::string whole = ReadBytes(ZORLITH_PROBE_NEW);
                                         return whole.substr(0, whole.size() - 1);
                                     },
                                     "文件不完整"},
                      FailedDownload{"NotAnExecutable",
                                     [] { return std::string("<html>维护中</html>\n"); },
                                     "没有 ELF 文件头"},
                      FailedDownload{"Empty", [] { return std::string(); }, "没有 ELF 文件头"},
                      FailedDownload{"OtherMachine",
                                     [] { return NewBuildWithMachine(EM_AARCH64 + EM_386); },
                                     "机器类型"}),
    [](const ::testing::TestParamInfo<FailedDownload>& row) { return row.param.name; });

TEST_F(UpdaterProcessTest, UnreachableAddressLeavesTheOldProgram) {
    ChildProcess updater =
        runUpdater(argsFor("http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/x"));
    ASSERT_EQ(updater.waitExit(), 1);
    EXPECT_NE(updater.log().find("无法连接更新服务器"), std::string::npos) << updater.log();
    expectOldProgramUntouched();
}

TEST_F(UpdaterProcessTest, AnAddressOtherThanHttpIsRefused) {
    ChildProcess updater = runUpdater(argsFor("file://" + std::string(ZORLITH_PROBE_NEW)));
    ASSERT_EQ(updater.waitExit(), 1);
    EXPECT_NE(updater.log().find("不是 http 或 https"), std::string::npos) << updater.log();
    expectOldProgramUntouched();
}

TEST_F(UpdaterProcessTest, ANewBuildThatFailsAtStartIsRolledBack) {
    UpdateService service(serviceDir(), ReadBytes(ZORLITH_PROBE_FAILING));
    ASSERT_TRUE(service.serving()) << service.log();

    ChildProcess updater = runUpdater(argsFor(service.downloadUrl()));
    ASSERT_EQ(updater.waitExit(), 1);
    EXPECT_NE(updater.log().find("退出码 3"), std::string::npos) << updater.log();
    EXPECT_NE(updater.log().find("已恢复旧版本"), std::string::npos) << updater.log();
    EXPECT_TRUE(fs::exists(appDir() / "ran-failing"));
    fs::remove(appDir() / "ran-failing");
    expectOldProgramUntouched();
}

TEST_F(UpdaterProcessTest, AnUnwritableDirectoryLeavesTheOldProgram) {
    UpdateService service(serviceDir(), ReadBytes(ZORLITH_PROBE_NEW));
    ASSERT_TRUE(service.serving()) << service.log();
    fs::permissions(appDir(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ChildProcess::Options options;
    if (::geteuid() == 0) {
        // The superuser writes anywhere; an ordinary user meets the closed directory.
        options.user = std::make_pair(uid_t{65534}, gid_t{65534});
    }

    ChildProcess updater = runUpdater(argsFor(service.downloadUrl()), options);
    ASSERT_EQ(updater.waitExit(), 1) << updater.log();
    EXPECT_NE(updater.log().find("无法在程序目录"), std::string::npos) << updater.log();
    fs::permissions(appDir(), fs::perms::owner_write, fs::perm_options::add);
    expectOldProgramUntouched();
}

struct BadArguments {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const BadArguments& row, std::ostream* out) {
    *out << row.name;
}

class BadArgumentsTest : public UpdaterProcessTest,
                         public ::testing::WithParamInterface<BadArguments> {};

TEST_P(BadArgumentsTest, AreRefusedBeforeAnythingHappens) {
    ChildProcess updater = runUpdater(GetParam().args);
    ASSERT_EQ(updater.waitExit(), 2);
    EXPECT_NE(updater.log().find("zorlith-updater: "), std::string::npos);
    expectOldProgramUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, BadArgumentsTest,
    ::testing::Values(
        BadArguments{"FourArguments", {kTitle, "1.15", "1.2", "http://127.0.0.1:1/"}},
        BadArguments{"SixArguments",
                     {kTitle, "1.15", "1.2", "http://127.0.0.1:1/", "zorlith-pk10", "x"}},
        BadArguments{"ProgramOutsideItsDirectory",
                     {kTitle, "1.15", "1.2", "http://127.0.0.1:1/", "../app/zorlith-pk10"}}),
    [](const ::testing::TestParamInfo<BadArguments>& row) { return row.param.name; });

TEST_F(UpdaterProcessTest, AMissingProgramIsReported) {
    ChildProcess updater = runUpdater({kTitle, "1.15", "1.2", "http://127.0.0.1:1/", "nothing"});
    ASSERT_EQ(updater.waitExit(), 1);
    EXPECT_NE(updater.log().find("找不到要更新的程序"), std::string::npos) << updater.log();
}

} // namespace
} // namespace zorlith::testing
