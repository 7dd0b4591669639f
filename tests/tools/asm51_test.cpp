#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "tool_runner.h"

namespace {

namespace fs = std::filesystem;

class Asm51Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("asm51-cli-" + std::to_string(rd()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Copy(const fs::path& from)
    {
        const fs::path to = dir_ / from.filename();
        fs::copy_file(from, to);
        return to.string();
    }

    fs::path dir_;
};

TEST_F(Asm51Test, AssemblesTheBlinkExample)
{
    const fs::path example = fs::path(IDE51_SOURCE_DIR) / "examples/blink";
    Copy(example / "board.inc");
    const std::string source = Copy(example / "blink.a51");
    const RunResult r = RunTool(ASM51_PATH, "--sym " + source);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Assembling " + source + "\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nDone - 0 error(s), 0 warning(s)\n"), std::string::npos);
    for (const char* ext : {".HEX", ".LST", ".SYM", ".LNK"}) {
        EXPECT_TRUE(fs::exists(dir_ / (std::string("blink") + ext))) << ext;
    }
    std::ifstream hex(dir_ / "blink.HEX");
    std::string first;
    std::getline(hex, first);
    EXPECT_EQ(first, ":03000000020100FA\r"); // LJMP main at 0100h
}

TEST_F(Asm51Test, ErrorsGiveStatusOneAndOptionsSwitchFiles)
{
    const std::string source = Copy(fs::path(IDE51_TEST_DATA_DIR) / "every_message.a51");
    const RunResult r = RunTool(ASM51_PATH, "--no-hex --no-list " + source);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(" Invalid instruction -> FOO\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "every_message.HEX"));
    EXPECT_FALSE(fs::exists(dir_ / "every_message.LST"));
    EXPECT_FALSE(fs::exists(dir_ / "every_message.SYM"));
}

TEST_F(Asm51Test, UsageErrorsAndUnreadableFilesGiveStatusTwo)
{
    EXPECT_EQ(RunTool(ASM51_PATH, "").status, 2);
    EXPECT_EQ(RunTool(ASM51_PATH, "--bogus x.a51").status, 2);
    EXPECT_EQ(RunTool(ASM51_PATH, "--tab-width 0 x.a51").status, 2);
    EXPECT_EQ(RunTool(ASM51_PATH, "--tab-width 33 x.a51").status, 2);
    EXPECT_EQ(RunTool(ASM51_PATH, "a.a51 b.a51").status, 2);
    EXPECT_EQ(RunTool(ASM51_PATH, (dir_ / "missing.a51").string()).status, 2);
    EXPECT_EQ(RunTool(ASM51_PATH, dir_.string()).status, 2); // a directory is not a source
    const RunResult help = RunTool(ASM51_PATH, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: asm51"), std::string::npos);
}

} // namespace
