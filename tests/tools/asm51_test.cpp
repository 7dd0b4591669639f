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

TEST_F(Asm51Test, GnuErrorFormatNamesFileAndLineForEditors)
{
    const fs::path inc = dir_ / "defs.inc";
    std::ofstream(inc, std::ios::binary) << "\tNOP\r\n\tMOV A,#1Q\r\n";
    const fs::path source = dir_ / "p.a51";
    std::ofstream(source, std::ios::binary) << "\tINCLUDE defs.inc\r\nX EQU 1\r\nX EQU 2\r\n"
                                               "\tPAGE 5\r\n\tMOV A,#12x\r\n";
    const RunResult gnu = RunTool(ASM51_PATH, "--error-format gnu " + source.string());
    EXPECT_EQ(gnu.status, 1);
    const std::string s = source.string();
    EXPECT_EQ(gnu.out, "Assembling " + s + "\n" + inc.string() + ":2: error: Invalid base\n" + s +
                           ":3: error: Duplicate label/symbol X\n" + s +
                           ":3: error: Symbol already defined -> X\n"
                           "Pass 1 complete\n" +
                           s +
                           ":4: warning: Specified page length (5) is outside limits "
                           "(10 - 255).\n" +
                           s +
                           ":5: error: Unexpected text after 12: x\n"
                           "Pass 2 complete\nEnding address: 5\n\n"
                           "Done - 4 error(s), 1 warning(s)\n");
    // The default stays the IDE's text.
    const RunResult ide = RunTool(ASM51_PATH, source.string());
    EXPECT_NE(ide.out.find("\nError: " + inc.string() + " (2):  Invalid base\n"),
              std::string::npos);
    EXPECT_EQ(RunTool(ASM51_PATH, "--error-format ide " + source.string()).out, ide.out);
    EXPECT_EQ(RunTool(ASM51_PATH, "--error-format msvc " + source.string()).status, 2);
}

TEST_F(Asm51Test, ASourceNamedLikeItsHexFileIsNotOverwritten)
{
    const fs::path source = dir_ / "prog.HEX";
    const std::string records = ":03000000020030CB\r\n:00000001FF\r\n";
    std::ofstream(source, std::ios::binary) << records;
    const RunResult r = RunTool(ASM51_PATH, source.string());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Output skipped, it would overwrite a source: " + source.string()),
              std::string::npos)
        << r.out;
    std::ifstream in(source, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), records);
    EXPECT_TRUE(fs::exists(dir_ / "prog.LST"));
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
