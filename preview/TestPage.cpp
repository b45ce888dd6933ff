#include "preview/TestPage.h"

#include "engine/XPrint.h"
#include "report/TestDataLine.h"

namespace zarvo {

void writeTestPage(const std::string& reportPath, const std::vector<std::string>& testDataLines) {
    XPrint engine(reportPath);
    engine.NewPage();
    for (const std::string& line : testDataLines) {
        TestDataField field = readTestDataLine(line);
        engine.AddField(field.name, field.value, 0, 0);
    }
}

}  // namespace zarvo
