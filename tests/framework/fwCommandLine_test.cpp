// The program's command line: every spelling of an option that is taken, and
// every line that is refused with a one-line reason.
#include "fwCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(CommandLine, AcceptedAndRefusedLines) {
    struct TCase {
        std::vector<std::string> Args;
        bool Help;
        int32_t Scale;
        int8_t Fullscreen;
        const char* Error; // the start of the reason; "" when accepted
    };
    const TCase cases[] = {
        {{}, false, 0, -1, ""},
        {{"--help"}, true, 0, -1, ""},
        {{"-h"}, true, 0, -1, ""},
        {{"-help"}, true, 0, -1, ""},
        {{"--scale", "2"}, false, 2, -1, ""},
        {{"--scale=2"}, false, 2, -1, ""},
        {{"-scale=2"}, false, 2, -1, ""},
        {{"-scale", "16"}, false, 16, -1, ""},
        {{"--scale=1", "--scale=3"}, false, 3, -1, ""},
        {{"--fullscreen"}, false, 0, 1, ""},
        {{"-fullscreen"}, false, 0, 1, ""},
        {{"--fullscreen=0", "--scale", "4"}, false, 4, 0, ""},
        {{"--fullscreen=1"}, false, 0, 1, ""},
        {{"--scale", "2", "--help"}, true, 2, -1, ""},
        {{"--bogus"}, false, 0, -1, "unknown option '--bogus'"},
        {{"---scale=2"}, false, 0, -1, "unknown option '---scale=2'"},
        {{"/scale=2"}, false, 0, -1, "unknown argument '/scale=2'"},
        {{"2"}, false, 0, -1, "unknown argument '2'"},
        {{"-"}, false, 0, -1, "unknown argument '-'"},
        {{"--"}, false, 0, -1, "unknown argument '--'"},
        {{"--help=1"}, false, 0, -1, "unknown option '--help=1'"},
        {{"--scale"}, false, 0, -1, "--scale needs a whole number from 1 to 16"},
        {{"--scale", "0"}, false, 0, -1, "bad scale '0'"},
        {{"--scale=17"}, false, 0, -1, "bad scale '17'"},
        {{"--scale=x"}, false, 0, -1, "bad scale 'x'"},
        {{"--scale="}, false, 0, -1, "bad scale ''"},
        {{"--scale=-2"}, false, 0, -1, "bad scale '-2'"},
        {{"--scale=002"}, false, 0, -1, "bad scale '002'"},
        {{"--fullscreen=yes"}, false, 0, -1, "bad fullscreen 'yes'"},
        {{"--seed=4294967296"}, false, 0, -1, "bad seed '4294967296'"},
        {{"--bogus", "--help"}, false, 0, -1, "unknown option '--bogus'"},
    };
    for (const TCase& c : cases) {
        std::string line;
        for (const std::string& a : c.Args)
            line += a + " ";
        SCOPED_TRACE(line);
        const TfwCommandLine got = fwParseCommandLine(c.Args);
        EXPECT_EQ(0u, got.Error.rfind(c.Error, 0)) << got.Error;
        EXPECT_EQ(std::string(c.Error).empty(), got.Error.empty()) << got.Error;
        if (!got.Error.empty())
            continue;
        EXPECT_EQ(c.Help, got.Help);
        EXPECT_EQ(c.Scale, got.Scale);
        EXPECT_EQ(c.Fullscreen, got.Fullscreen);
    }
    // The seed the game reads of an accepted line.
    EXPECT_EQ(-1, fwParseCommandLine({"--fullscreen=0", "--scale", "4"}).Seed);
    EXPECT_EQ(4294967295, fwParseCommandLine({"--seed", "4294967295", "-scale=2"}).Seed);
}
