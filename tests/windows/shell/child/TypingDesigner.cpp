// The designer as a user drives it, for the recovery tests: started like
// the program on REPORT, TEXT typed at the end of the source page and
// TESTDATA on the test data page, then "typed" on standard output. With
// "exit" it ends through Exit three seconds later (its questions answered
// with OK, as the message boxes' default presenter does); otherwise it runs
// until it is killed.
//
// Usage: TypingDesigner REPORT TEXT TESTDATA [exit]

#include <cstdio>

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>

#include "designer/SourceEditor.h"
#include "designer/MainWindow.h"
#include "platform/NoPrinters.h"
#include "shell/Startup.h"
#include "shell/ZarvoApplication.h"
#include "tests/support/TextInput.h"

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    zarvo::ZarvoApplication application(argc, argv);
    zarvo::NoPrinters printers;
    const QStringList arguments = QApplication::arguments();
    const bool exitAfterCopy = arguments.size() > 4 && arguments[4] == QStringLiteral("exit");
    return zarvo::runApplication(zarvo::startupSteps(), printers, [&](QWidget&) {
        zarvo::MainWindow& form = *zarvo::zarvo2_Form;
        zarvo::startDocument(form, arguments[1], {});
        form.ME_text->moveCursor(QTextCursor::End);
        zarvo::test::typeText(*form.ME_text, arguments[2]);
        zarvo::test::typeText(*form.ME_data, arguments[3]);
        std::printf("typed\n");
        std::fflush(stdout);
        if (exitAfterCopy) QTimer::singleShot(3000, &form, [&form] { form.Exit1Click(); });
    });
}
