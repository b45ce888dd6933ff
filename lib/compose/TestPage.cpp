#include "compose/TestPage.h"

#include "engine/XPrint.h"
#include "report/TestDataLine.h"

namespace zarvo {

void writeTestPage(PageSequence& pages, const std::string& reportPath,
                   const std::vector<std::string>& testDataLines) {
    RenderContext writing;
    writing.pages = &pages;
    XPrint engine(reportPath, std::move(writing));
    engine.NewPage();
    for (const std::string& line : testDataLines) {
        TestDataField field = readTestDataLine(line);
        engine.AddField(field.name, field.value, 0, 0);
    }
}

}  // namespace zarvo
