// Replays every stored input of the fuzz targets (their seeds and every input that ever made
// one fail) through the same entry functions, so each build checks them without a fuzzer.
#include "FuzzTargets.h"

#include "support/TestEnvironment.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, EveryStoredInputPasses)
{
    const fs::path folder = fs::path(testsupport::SourceDir()) / "tests/data/fuzz" / GetParam().name;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_FALSE(inputs.empty()) << "no seed inputs in " << folder;
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        const std::string bytes = s.str();
        EXPECT_NO_THROW(GetParam().run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
            << input.filename();
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kFuzzTargets),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
