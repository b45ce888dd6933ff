// Every file of fuzz/corpus/TARGET and tests/regressions/TARGET through its
// fuzz target: a reader fault once found stays fixed. A target aborts on a
// broken invariant; the sanitizer build catches what else goes wrong.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;

using Target = void (*)(const std::uint8_t*, std::size_t);

struct ReplayCase {
    const char* name;
    Target target;
};

void PrintTo(const ReplayCase& replay, std::ostream* out) { *out << replay.name; }

// The files of both folders of a target, in a fixed order.
std::vector<fs::path> inputsOf(const std::string& name) {
    std::vector<fs::path> files;
    for (const char* folder : {"fuzz/corpus", "tests/regressions"}) {
        const fs::path dir = fs::path(ZARVO_SOURCE_DIR) / folder / name;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ReplayTest : public ::testing::TestWithParam<ReplayCase> {};

TEST_P(ReplayTest, EverySavedInputRunsThrough) {
    const std::vector<fs::path> files = inputsOf(GetParam().name);
    ASSERT_FALSE(files.empty()) << "no seed corpus for " << GetParam().name;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string bytes = contentOf(file);
        GetParam().target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, ReplayTest,
                         ::testing::Values(ReplayCase{"report_page", fuzz::fuzzReportPage},
                                           ReplayCase{"page_data", fuzz::fuzzPageData},
                                           ReplayCase{"frame_text", fuzz::fuzzFrameText},
                                           ReplayCase{"test_data_line", fuzz::fuzzTestDataLine},
                                           ReplayCase{"big5", fuzz::fuzzBig5},
                                           ReplayCase{"data_file", fuzz::fuzzDataFile},
                                           ReplayCase{"value_format", fuzz::fuzzValueFormat},
                                           ReplayCase{"form_profile", fuzz::fuzzFormProfile},
                                           ReplayCase{"picture", fuzz::fuzzPicture}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zarvo
