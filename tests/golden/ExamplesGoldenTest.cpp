// The bundled example forms, filled with their test data, in preview (kept
// as golden images) and printed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "engine/PageFileName.h"
#include "platform/Messages.h"
#include "platform/os/DataRoot.h"
#include "painting/PdfSpooler.h"
#include "painting/PreviewImage.h"
#include "platform/recording/RecordingSpooler.h"
#include "engine/RenderContext.h"
#include "compose/PageComposer.h"
#include "compose/TestPage.h"
#include "report/TestDataLine.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/golden/GoldenImage.h"

namespace zarvo {
namespace {

using ::testing::IsEmpty;
using ::testing::StartsWith;

struct Example {
    const char* name;
    int paperCode;
    const char* size = "";  // the sheet line's end for a paper the profile gives
};

class ExampleTest : public ::testing::TestWithParam<Example> {
protected:
    ExampleTest() : pages("/QEL/Tmp/1") {
        setDataRootOverride(dir.path().string());
        std::string base = std::string(ZARVO_SOURCE_DIR) + "/examples/" + GetParam().name;
        writeTestPage(pages, base + ".txt", splitTestDataLines(test::TempDir::read(base + "_data.txt")));
        page = pageFileName(pages.stem(), 0);
    }
    ~ExampleTest() override { setDataRootOverride(""); }

    test::TempDir dir;
    PageSequence pages;
    test::RecordingPresenter messages;
    std::string page;
    CompositionProblems problems;
};

TEST_P(ExampleTest, PreviewMatchesItsGoldenImage) {
    PreviewImage image;
    showPage(screenContext([&image](int w, int h) -> Surface& { return image.resize(w, h); }), page, problems);
    EXPECT_THAT(problems, IsEmpty());
    EXPECT_THAT(messages.shown(), IsEmpty());
    test::expectMatchesGolden(image.image(), std::string(GetParam().name) + "_114");
}

TEST_P(ExampleTest, PrintsOneSheetOnItsPaper) {
    std::ostringstream trace;
    RecordingSpooler spooler(trace, 300, {{"Office", true}});
    printSheets(paperContext(spooler, "Office"), {page}, problems);
    EXPECT_THAT(problems, IsEmpty());
    EXPECT_THAT(trace.str(), StartsWith("sheet 0 paper=" + std::to_string(GetParam().paperCode) + " dpi=300" +
                                        GetParam().size + "\n"));
    EXPECT_EQ(trace.str().find("ff0000"), std::string::npos);  // all black on paper

    PdfSpooler pdf((dir.path() / "out.pdf").string());
    printSheets(paperContext(pdf, pdf.printers().front().name), {page}, problems);
    EXPECT_GT(std::filesystem::file_size(dir.path() / "out.pdf"), 1000u);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest,
                         ::testing::Values(Example{"delivery_note", 0}, Example{"statement_b4", 2},
                                           Example{"vertical_form", 0},
                                           Example{"continuous_delivery", 9, " size=241.3x139.7"},
                                           Example{"einvoice_proof", 9, " size=57x90"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zarvo
