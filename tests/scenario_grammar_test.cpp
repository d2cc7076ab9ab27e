// The scenario files of tests/scenarios read with the drivers' own reader:
// a misspelt step fails here, in a second, naming its file and line, not
// minutes into a window driver's run.
#include "tests/on_screen/scenario.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace blockdrop::window_testing {
namespace {

TEST(Scenarios, EveryFileReadsAndAMisspeltStepDoesNot)
{
    EXPECT_GE(scenario_cases().size(), 12U);

    const auto folder = std::filesystem::temp_directory_path() /
                        ("blockdrop-scenarios-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.txt") << "dpi 96 144\npress Shift+Ctrl+Left at box\nwait 300\n";
    ASSERT_EQ(scenario_cases(folder.string()).size(), 2U);
    for (const char* wrong : {"expect buckit left", "press Lfet", "press Left at window",
                              "click Maybe", "wait soon", "play until bored", "dpi 96\ndpi 144"}) {
        std::ofstream(folder / "b.txt") << "# a comment\npress Left\n" << wrong << "\n";
        try {
            scenario_cases(folder.string());
            ADD_FAILURE() << "read: " << wrong;
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("b.txt: line 3: "), std::string::npos)
                << error.what();
        }
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace blockdrop::window_testing
