#include "compose/PrinterChoices.h"

#include <gtest/gtest.h>

#include "report/ReportError.h"

namespace zarvo {
namespace {

class ListedSpooler : public Spooler {
public:
    explicit ListedSpooler(std::vector<PrinterInfo> printers, bool down = false)
        : printers_(std::move(printers)), down_(down) {}
    std::vector<PrinterInfo> printers() override {
        if (down_) throw ReportError("列印服務沒有回應");
        return printers_;
    }
    std::unique_ptr<PrintJob> startJob(const std::string&, const std::string&, const SheetPaper&) override {
        return nullptr;
    }

private:
    std::vector<PrinterInfo> printers_;
    bool down_;
};

TEST(PrinterChoicesTest, TheDefaultIsSelectedElseTheFirstElseNone) {
    struct Case {
        std::vector<PrinterInfo> printers;
        bool down;
        std::vector<std::string> names;
        int selected;
        std::string problem;
    };
    const Case cases[] = {
        {{{"A", false}, {"B", true}, {"C", false}}, false, {"A", "B", "C"}, 1, ""},
        {{{"A", false}, {"B", false}}, false, {"A", "B"}, 0, ""},
        {{}, false, {}, -1, ""},
        {{{"A", true}}, true, {}, -1, "列印服務沒有回應"},
    };
    for (const Case& c : cases) {
        ListedSpooler spooler(c.printers, c.down);
        PrinterChoices choices = printerChoices(spooler);
        EXPECT_EQ(choices.names, c.names);
        EXPECT_EQ(choices.selected, c.selected);
        EXPECT_EQ(choices.problem, c.problem);
    }
}

}  // namespace
}  // namespace zarvo
