#include "platform/CommandLine.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

TEST(CommandLine, ArgumentsSplitIntoNamesAndValues)
{
    const std::vector<CommandLineParam> params = SplitArguments(
        {"-demofile=/home/player/my demo.dmo", "-play", "", "=orphan", "-changedir=a=b", "-split"});
    EXPECT_EQ(params, std::vector<CommandLineParam>({{"-demofile", "/home/player/my demo.dmo"},
                                                     {"-play", ""},
                                                     {"-changedir", "a=b"},
                                                     {"-split", ""}}));
}

TEST(CommandLine, ProcessArgumentsComeFromMainOrTheProcess)
{
    const char* argv[] = {"/usr/games/pelleranthe", "-record", "-screensaver"};
    SetProcessArguments(3, argv);
    EXPECT_EQ(ProcessArguments(), std::vector<std::string>({"-record", "-screensaver"}));
    ClearProcessArguments();
    // This test program's own arguments, without the program itself.
    const std::vector<std::string> own = ProcessArguments();
    for (const std::string& argument : own)
        EXPECT_EQ(argument.find("tests_platform"), std::string::npos) << argument;
}

} // namespace
} // namespace Quib
