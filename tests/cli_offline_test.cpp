// Runs zorlith-pk10-cli as a separate process, as scripts and users do.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ShellQuote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorlith-cli-XXXXXX");
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::string write(const std::string& name, const std::string& contents) const {
        std::ofstream(path_ / name, std::ios::binary) << contents;
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

CliResult RunCli(const std::vector<std::string>& args) {
    const TempDir dir;
    std::string command = ShellQuote(ZORLITH_CLI);
    for (const auto& arg : args) {
        command += " " + ShellQuote(arg);
    }
    command += " >" + ShellQuote(dir.path() / "out") + " 2>" + ShellQuote(dir.path() / "err") +
               " </dev/null";
    const int status = std::system(command.c_str());
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(dir.path() / "out");
    result.err = ReadFile(dir.path() / "err");
    return result;
}

const std::string kSampleRows = ZORLITH_DATA_DIR "/sample-rows.txt";

struct OutputCase {
    std::vector<std::string> args;
    std::string out;
};

void PrintArgs(const std::vector<std::string>& args, std::ostream* os) {
    for (const auto& arg : args) {
        *os << (&arg == &args.front() ? "" : " ") << arg;
    }
}

void PrintTo(const OutputCase& c, std::ostream* os) {
    PrintArgs(c.args, os);
}

class CliOutputTest : public testing::TestWithParam<OutputCase> {};

TEST_P(CliOutputTest, PrintsExactlyTheAnswer) {
    const CliResult result = RunCli(GetParam().args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, GetParam().out);
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Predict, CliOutputTest,
    testing::Values(
        OutputCase{{"predict", "--plan", "冠军单双", "--seed", "1"}, "双\n"},
        OutputCase{{"predict", "--plan", "亚军大小5期", "--seed", "1"}, "大\n"},
        OutputCase{{"predict", "--seed", "0", "--plan", "冠军单双"}, "单\n"},
        OutputCase{{"predict", "--plan", "冠军5胆3期", "--seed", "1"}, "01 02 05 08 10\n"},
        OutputCase{{"predict", "--plan", "季军3胆1期", "--seed", "2"}, "06 07 09\n"},
        OutputCase{{"predict", "--plan", "7号车位置", "--seed", "1"}, "01 02 05 08 10\n"},
        OutputCase{{"predict", "--plan", "前3名5*5*5注", "--seed", "12345"},
                   "45689,134510,356710\n"},
        OutputCase{{"predict", "--plan", "前2名2*3注", "--seed", "1"}, "28,1510\n"},
        OutputCase{{"predict", "--plan", "前5独胆", "--seed", "1"}, "02\n"},
        OutputCase{{"predict", "--plan", "冠亚和值单双", "--seed", "1"}, "双\n"},
        OutputCase{{"predict", "--plan=冠军单双", "--seed=1"}, "双\n"},
        // Seeds are 32-bit: 4294967295 is -1.
        OutputCase{{"predict", "--plan", "冠军5胆3期", "--seed", "4294967295"}, "02 05 06 09 10\n"},
        OutputCase{{"predict", "--plan", "冠军5胆3期", "--seed", "-1"}, "02 05 06 09 10\n"}));

INSTANTIATE_TEST_SUITE_P(
    Verify, CliOutputTest,
    testing::Values(
        OutputCase{{"verify", "--plan", "冠军单双", "--numbers", "05,01,02,03,04,06,07,08,09,10",
                    "--prediction", "单"},
                   "hit\n"},
        OutputCase{{"verify", "--plan", "冠军单双", "--numbers", "05,01,02,03,04,06,07,08,09,10",
                    "--prediction", "双"},
                   "miss\n"},
        OutputCase{{"verify", "--plan", "冠军单双", "--numbers", "05,01,02,03,04,06,07,08,09,10",
                    "--prediction", "nonsense"},
                   "miss\n"},
        OutputCase{{"verify", "--plan", "前3名5*5*5注", "--numbers",
                    "05,03,07,01,02,04,06,08,09,10", "--prediction", "45689,134510,356710"},
                   "hit\n"},
        OutputCase{{"verify", "--plan", "前3名5*5*5注", "--numbers",
                    "05,03,01,07,02,04,06,08,09,10", "--prediction", "45689,134510,356710"},
                   "miss\n"},
        OutputCase{{"verify", "--plan", "7号车位置", "--numbers", "01,02,03,04,07,05,06,08,09,10",
                    "--prediction", "01 02 05 08 10"},
                   "hit\n"},
        OutputCase{{"verify", "--plan", "冠亚和值大小", "--numbers",
                    "02,03,01,04,05,06,07,08,09,10", "--prediction", "小"},
                   "hit\n"}));

struct RefusalCase {
    std::vector<std::string> args;
    std::string mentions;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    PrintArgs(c.args, os);
}

class CliRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(CliRefusalTest, OneLineOnStandardErrorAndExitTwo) {
    const CliResult result = RunCli(GetParam().args);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_TRUE(result.err.starts_with("zorlith-pk10-cli: ")) << result.err;
    EXPECT_NE(result.err.find(GetParam().mentions), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CliRefusalTest,
    testing::Values(
        RefusalCase{{"predict", "--plan", "冠军单双 ", "--seed", "1"}, "plan"},
        RefusalCase{{"predict", "--plan", "１号单双", "--seed", "1"}, "plan"},
        RefusalCase{{"predict", "--plan", "0号单双", "--seed", "1"}, "plan"},
        RefusalCase{{"predict", "--plan", "冠军\n单双", "--seed", "1"}, "plan"},
        RefusalCase{{"predict", "--plan", "冠军单双"}, "--seed"},
        RefusalCase{{"predict", "--plan", "冠军单双", "--seed", "1x"}, "--seed"},
        RefusalCase{{"predict", "--plan", "冠军单双", "--seed", "4294967296"}, "--seed"},
        RefusalCase{{"predict", "--plan", "冠军单双", "--seed"}, "--seed"},
        RefusalCase{{"predict", "--plan", "冠军单双", "--seed", "1", "--colour", "red"},
                    "--colour"},
        RefusalCase{{"predict", "stray", "--plan", "冠军单双", "--seed", "1"}, "stray"},
        RefusalCase{{"guess"}, "guess"},
        RefusalCase{{"verify", "--plan", "冠军单双", "--numbers", "1,2,3", "--prediction", "单"},
                    "--numbers"},
        RefusalCase{{"verify", "--plan", "冠军单双", "--numbers", "01 02 03 04 05 06 07 08 09 10",
                     "--prediction", "单"},
                    "--numbers"},
        RefusalCase{{"verify", "--plan", "冠军单双", "--numbers", "01,02,03,04,05,06,07,08,09,11",
                     "--prediction", "单"},
                    "--numbers"},
        RefusalCase{{"verify", "--plan", "冠军单双", "--numbers", "01,02,03,04,05,06,07,08,09,10,",
                     "--prediction", "单"},
                    "--numbers"},
        RefusalCase{{"verify", "--plan", "冠军单双", "--numbers", "01,02,03,04,05,06,07,08,09,10"},
                    "--prediction"},
        RefusalCase{{"replay", "--plan", "冠军单双"}, "--draws"},
        RefusalCase{{"replay", "--plan", "冠军单双", "--draws", "/nonexistent/rows.txt"},
                    "/nonexistent/rows.txt"},
        RefusalCase{{"replay", "--plan", "冠军单双", "--draws", kSampleRows, "--wipe", "2"},
                    "--wipe"},
        RefusalCase{{"replay", "--plan", "冠军单双", "--draws", kSampleRows, "--cycle-issues", "0"},
                    "--cycle-issues"},
        RefusalCase{
            {"replay", "--plan", "冠军单双", "--draws", kSampleRows, "--hit-percent", "sixty"},
            "--hit-percent"},
        RefusalCase{
            {"replay", "--plan", "冠军单双", "--draws", kSampleRows, "--fixed-uptime", "-1"},
            "--fixed-uptime"},
        RefusalCase{{"replay", "--plan", "前6独胆", "--draws", kSampleRows}, "plan"}));

struct RowsFileCase {
    std::string contents;
    std::string mentions;
};

void PrintTo(const RowsFileCase& c, std::ostream* os) {
    *os << c.mentions;
}

class CliRowsFileTest : public testing::TestWithParam<RowsFileCase> {};

TEST_P(CliRowsFileTest, MalformedRowsAreRefusedWithTheirLine) {
    const TempDir dir;
    const std::string path = dir.write("rows.txt", GetParam().contents);
    const CliResult result = RunCli({"replay", "--plan", "冠军单双", "--draws", path});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_NE(result.err.find(GetParam().mentions), std::string::npos) << result.err;
}

const std::string kGoodRow = "1|+|709881|+|2025-12-11 07:00:00|+|08,07,01,02,04,03,06,09,10,05|+|9";

INSTANTIATE_TEST_SUITE_P(
    Cases, CliRowsFileTest,
    testing::Values(
        RowsFileCase{"", "no draws"}, RowsFileCase{"\r\n\n", "no draws"},
        RowsFileCase{kGoodRow + "\r\n1|+|709880|+|t|+|02,03,06,07,04,09,01,10,08,05\r\n",
                     ":2: expected 5 fields"},
        RowsFileCase{kGoodRow + "|+|extra\n", ":1: expected 5 fields"},
        RowsFileCase{kGoodRow + "\n1|+|70988O|+|t|+|02,03,06,07,04,09,01,10,08,05|+|1\n",
                     ":2: the issue"},
        RowsFileCase{"1|+|5-|+|t|+|02,03,06,07,04,09,01,10,08,05|+|1\n", ":1: the issue"},
        RowsFileCase{"1|+|99999999999|+|t|+|02,03,06,07,04,09,01,10,08,05|+|1\n", ":1: the issue"},
        RowsFileCase{"1|+|5|+|t|+|02,03,06,07,04,09,01,10,08|+|1\n", ":1: the numbers"},
        RowsFileCase{"1|+|5|+|t|+|02,03,06,07,04,09,01,10,08,00|+|1\n", ":1: the numbers"},
        RowsFileCase{std::string("\x00\x01\x02", 3), ":1: expected 5 fields"}));

TEST(CliReplayTest, FixedUptimeMakesTheReplayReproducible) {
    const std::vector<std::string> args = {"replay",    "--plan",         "冠军单双", "--draws",
                                           kSampleRows, "--fixed-uptime", "1000"};
    const CliResult first = RunCli(args);
    const CliResult second = RunCli(args);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(first.out, ReadFile(ZORLITH_TESTDATA_DIR "/replay-champion-odd-even.txt"));
}

TEST(CliReplayTest, OptionsOverrideTheStartUpSettings) {
    const CliResult result = RunCli({"replay", "--plan", "冠军5胆3期", "--draws", kSampleRows,
                                     "--fixed-uptime", "1000", "--cycle-issues", "3",
                                     "--hit-percent", "90", "--wipe", "1", "--history-limit", "5"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, ReadFile(ZORLITH_TESTDATA_DIR "/replay-champion-set-options.txt"));
}

TEST(CliReplayTest, EveryPlanKindReplaysTheRealDraws) {
    for (const char* plan : {"冠军单双", "亚军大小", "冠亚和值单双", "冠亚和值大小", "冠军5胆3期",
                             "7号车位置", "前5独胆", "前3名5*5*5注"}) {
        const CliResult result = RunCli({"replay", "--plan", plan, "--draws", kSampleRows});
        ASSERT_EQ(result.exitCode, 0) << plan << ": " << result.err;
        EXPECT_NE(result.out.find(std::string(plan)), std::string::npos);
        EXPECT_NE(result.out.find("当前计划统计：总计51期"), std::string::npos) << plan;
        EXPECT_TRUE(result.out.ends_with("%\n彩票有风险，投注需谨慎！\n\n")) << plan;
        EXPECT_EQ(result.out.find('\r'), std::string::npos);
    }
}

TEST(CliReplayTest, ZeroUptimeSkipsTheNewestDraw) {
    const CliResult result =
        RunCli({"replay", "--plan", "冠军单双", "--draws", kSampleRows, "--fixed-uptime", "0"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // 49 replayed draws close 49 cycles; the newest draw leaves the open cycle waiting.
    EXPECT_NE(result.out.find("709881期 冠军单双"), std::string::npos);
    EXPECT_NE(result.out.find("总计50期"), std::string::npos);
    EXPECT_EQ(result.out.find("<709881期>"), std::string::npos);
}

TEST(CliReplayTest, SeedsReadLikeEveryNumberTextAndZeroSkipsTheDraw) {
    const TempDir dir;
    std::string rows = ReadFile(kSampleRows);
    const size_t oldest = rows.rfind("|+|", rows.size() - 3);
    ASSERT_NE(oldest, std::string::npos);
    rows = rows.substr(0, oldest) + "|+|abc\r\n"; // the oldest draw, 709832, seeds 0
    const CliResult result = RunCli({"replay", "--plan", "冠军单双", "--draws",
                                     dir.write("rows.txt", rows), "--fixed-uptime", "1000"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.find("709832期"), std::string::npos);
    EXPECT_TRUE(result.out.starts_with("709833期 ")) << result.out.substr(0, 40);
}

TEST(CliReplayTest, NegativeIssuesAreNumbersToo) {
    const TempDir dir;
    const std::string path =
        dir.write("rows.txt", "t|+|0|+|x|+|01,02,03,04,05,06,07,08,09,10|+|5\r\n"
                              "t|+|-1|+|x|+|02,01,03,04,05,06,07,08,09,10|+|5\r\n");
    const CliResult result =
        RunCli({"replay", "--plan", "冠军单双", "--draws", path, "--fixed-uptime", "1000"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(result.out.starts_with("-1期 冠军单双【")) << result.out;
}

TEST(CliReplayTest, AcceptsPlainLineEndsAndABom) {
    const TempDir dir;
    std::string rows = ReadFile(kSampleRows);
    std::string plain;
    for (char c : rows) {
        if (c != '\r') {
            plain += c;
        }
    }
    const std::string path = dir.write("rows.txt", "\xEF\xBB\xBF" + plain + "\n");
    const std::vector<std::string> common = {"--plan", "冠军单双", "--fixed-uptime", "1000"};
    std::vector<std::string> fromPlain = {"replay", "--draws", path};
    std::vector<std::string> fromSample = {"replay", "--draws", kSampleRows};
    fromPlain.insert(fromPlain.end(), common.begin(), common.end());
    fromSample.insert(fromSample.end(), common.begin(), common.end());
    EXPECT_EQ(RunCli(fromPlain).out, RunCli(fromSample).out);
}

} // namespace
