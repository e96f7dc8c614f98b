#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

struct Case {
    std::vector<std::string> args;
    SaverMode mode;
    uint32_t handle;
};

TEST(CommandLine, SwitchesAndHandles) {
    const Case cases[] = {
        {{}, SaverMode::Editor, 0},
        {{"/c"}, SaverMode::Editor, 0},
        {{"/c:1234"}, SaverMode::Editor, 0},
        {{"-C"}, SaverMode::Editor, 0},
        {{"/S"}, SaverMode::Screensaver, 0},
        {{"-s"}, SaverMode::Screensaver, 0},
        {{"/save"}, SaverMode::Screensaver, 0},
        {{"/p", "1234"}, SaverMode::Preview, 1234},
        {{"/p:1234"}, SaverMode::Preview, 1234},
        {{"/P:1234", "99"}, SaverMode::Preview, 1234},  // the colon form wins
        {{"/p"}, SaverMode::Preview, 0},
        {{"/p: 56 "}, SaverMode::Preview, 56},
        {{"/p:abc"}, SaverMode::Preview, 0},
        {{"/l", "77"}, SaverMode::Preview, 77},
        {{"/a", "4242"}, SaverMode::ChangePassword, 4242},
        {{"/a"}, SaverMode::ChangePassword, 0},
        {{"s"}, SaverMode::None, 0},
        {{"x"}, SaverMode::None, 0},
        {{"/x"}, SaverMode::None, 0},
        {{"/"}, SaverMode::None, 0},
        {{""}, SaverMode::None, 0},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += "[" + a + "]";
        StartRequest r = ParseCommandLine(c.args);
        EXPECT_EQ(r.Mode, c.mode) << shown;
        EXPECT_EQ(r.HostWindow, c.handle) << shown;
    }
}

}  // namespace
}  // namespace qb
