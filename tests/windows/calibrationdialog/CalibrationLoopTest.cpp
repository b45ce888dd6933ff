// The calibration a user goes through, closed on a queue whose device shifts
// and stretches every page: the calibration sheet printed from the dialog,
// its crosses measured on the printed page and typed into the dialog; then a
// second sheet and a form land where they belong.

#include "calibrationdialog/CalibrationForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "calibration/CalibrationSheet.h"
#include "layoutmodel/SceneTypes.h"
#include "printing/CupsSpooler.h"
#include "platform/os/DataRoot.h"
#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/RasterisedPages.h"

namespace zarvo {
namespace {

constexpr int kDpi = 600;
constexpr double kPixelMm = 25.4 / kDpi;
// How close what lands must be to where it should, mm.
constexpr double kWithinMm = 0.2;

// The centre of the dark lines of a cross around (xMm, yMm) from the page's
// corner: the columns and rows within 5 mm that hold the most ink.
PointMm crossCentre(const QImage& page, double xMm, double yMm) {
    const int reach = int(5 / kPixelMm);
    const int cx = int(xMm / kPixelMm), cy = int(yMm / kPixelMm);
    std::vector<int> columns(2 * reach + 1), rows(2 * reach + 1);
    for (int dy = -reach; dy <= reach; ++dy) {
        const uchar* line = page.constScanLine(cy + dy);
        for (int dx = -reach; dx <= reach; ++dx) {
            if (line[cx + dx] >= 128) continue;
            ++columns[dx + reach];
            ++rows[dy + reach];
        }
    }
    // The middle of the lines: the weighted mean of the positions that hold
    // at least half as much ink as the fullest.
    const auto middle = [reach](const std::vector<int>& counts) {
        const int most = *std::max_element(counts.begin(), counts.end());
        double sum = 0, weight = 0;
        for (int i = 0; i < int(counts.size()); ++i) {
            if (2 * counts[i] < most) continue;
            sum += (i - reach) * double(counts[i]);
            weight += counts[i];
        }
        return weight > 0 ? sum / weight : 0;
    };
    return PointMm{(cx + middle(columns) + 0.5) * kPixelMm, (cy + middle(rows) + 0.5) * kPixelMm};
}

class CalibrationLoopTest : public testing::Test {
protected:
    CalibrationLoopTest() {
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        setDataRootOverride((dir.path() / "data").string());
        // The device puts everything 1.2 mm right, 0.8 mm up, and stretches
        // the sheet by 0.4 % across and shrinks it by 0.4 % along the feed.
        cups.addDistortingQueue("worn", 1.2, -0.8, 1.004, 0.996);
    }
    ~CalibrationLoopTest() override {
        setDataRootOverride("");
        unsetenv("XDG_CONFIG_HOME");
    }

    QImage printedPage(std::size_t job) {
        return test::rasterisedPages(cups.waitForJobs(job).back(), kDpi, dir.path()).front();
    }
    // Where the crosses of a printed calibration sheet are, from the sheet's edges.
    MeasuredCrosses measure(const QImage& page, const CalibrationLayout& layout) {
        const PointMm a = crossCentre(page, layout.margins.left + layout.ax(), layout.margins.top + layout.ay());
        const PointMm b = crossCentre(page, layout.margins.left + layout.bx(), layout.margins.top + layout.by());
        return MeasuredCrosses{a.x, a.y, b.x, b.y};
    }
    void expectWhereTheyBelong(const MeasuredCrosses& m, const CalibrationLayout& layout) {
        EXPECT_NEAR(m.ax, layout.margins.left + layout.ax(), kWithinMm);
        EXPECT_NEAR(m.ay, layout.margins.top + layout.ay(), kWithinMm);
        EXPECT_NEAR(m.bx, layout.margins.left + layout.bx(), kWithinMm);
        EXPECT_NEAR(m.by, layout.margins.top + layout.by(), kWithinMm);
    }

    test::TempDir dir;
    test::PrivateCups cups;
    CupsSpooler spooler;
};

TEST_F(CalibrationLoopTest, TheMeasuredSheetGivesACorrectionThatPutsSheetsAndFormsInPlace) {
    TCalibrationForm form(spooler);
    MeasuredCrosses first{};
    CalibrationLayout layout;
    QString sent;
    test::ModalAnswerer answerer([&](QWidget& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("btn_printpage"))->click();
        sent = dialog.findChild<QLabel*>(QStringLiteral("Label_result"))->text().section(u'\n', 0, 0);
        layout = calibrationLayout(0, *spooler.sheetMargins("worn", 0));
        first = measure(printedPage(1), layout);
        const double values[] = {first.ax, first.ay, first.bx, first.by};
        const char* names[] = {"ED_ax", "ED_ay", "ED_bx", "ED_by"};
        for (int i = 0; i < 4; ++i) {
            dialog.findChild<QLineEdit*>(QString::fromLatin1(names[i]))->setText(QString::number(values[i], 'f', 2));
        }
        dialog.findChild<QPushButton*>(QStringLiteral("btn_ok"))->click();
    });
    ASSERT_EQ(form.execute(), 1);
    // The output file is named by its job id.
    EXPECT_EQ(sent.toStdString(),
              "已送出 1 張到 worn (工作 " + std::to_string(std::stoi(cups.waitForJobs(1).front().stem())) + ")");
    // The device's error shows on the first sheet.
    EXPECT_GT(first.ax - (layout.margins.left + layout.ax()), 1);

    printCalibrationSheet(spooler, "worn", 0);
    expectWhereTheyBelong(measure(printedPage(2), layout), layout);

    // A form with a cross at (30, 40) mm from the printable corner.
    const std::string report = dir.write(
        "form.txt", "0\t0\t0\r\nLINE_INFO\t2\r\n0\t0\t24\t40\t36\t40\r\n0\t0\t30\t34\t30\t46\r\n"
                    "LABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n");
    const test::CommandResult printed = test::runCommand(
        std::string(ZARVO_RENDER) + " --print --printer worn --data-dir '" + (dir.path() / "cli").string() + "' '" +
            report + "'",
        dir);
    ASSERT_EQ(printed.status, 0) << printed.err;
    const PointMm mark = crossCentre(printedPage(3), layout.margins.left + 30, layout.margins.top + 40);
    EXPECT_NEAR(mark.x, layout.margins.left + 30, kWithinMm);
    EXPECT_NEAR(mark.y, layout.margins.top + 40, kWithinMm);
}

}  // namespace
}  // namespace zarvo
