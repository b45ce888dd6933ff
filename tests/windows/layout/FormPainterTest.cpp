// The form as the Layout page draws it: whether a value fits its frame is
// the same at every zoom and on every printer's resolution.

#include "layout/FormPainter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QImage>
#include <QPainter>

namespace zarvo {
namespace {

std::string deliveryNote() {
    std::ifstream in(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether value overfills the delivery note's customer frame drawn at dpi.
bool overfull(const std::string& value, int dpi) {
    FormPainter painter;
    painter.setReport(deliveryNote(), "delivery_note.txt");
    painter.setFields({TestDataField{"customer", value}});
    // A tiny image: the engine lays the whole form out, whatever is clipped.
    QImage image(1, 1, QImage::Format_RGB32);
    QPainter onImage(&image);
    return !painter.draw(onImage, dpi).overfullNames.empty();
}

TEST(FormPainterTest, AFrameThatOverfillsOnScreenIsExactlyOneThatLosesCharactersOnPaper) {
    // Values around what the frame holds (two lines of about 23 full-width
    // characters), full width and half width.
    std::vector<std::string> values;
    for (int count = 40; count <= 52; ++count) {
        std::string value;
        for (int i = 0; i < count; ++i) value += "\xa4\xa4";  // 中
        values.push_back(value);
        values.push_back(std::string(2 * count, 'W'));
    }
    int overfilled = 0;
    for (const std::string& value : values) {
        const bool onScreen = overfull(value, 114);
        overfilled += onScreen;
        for (int dpi : {171, 300, 600}) EXPECT_EQ(overfull(value, dpi), onScreen) << value.size() << " bytes at " << dpi;
    }
    EXPECT_GT(overfilled, 0);
    EXPECT_LT(overfilled, static_cast<int>(values.size()));
}

// Without test data the blocks' names are drawn, so that a new form never
// looks empty, and nothing is said about them; ticking the names says what
// does not fit.
TEST(FormPainterTest, WithoutDataTheNamesAreDrawnQuietly) {
    const std::string longName(60, 'W');
    std::string report = deliveryNote();
    report.insert(report.find("\tcustomer"), "\t" + longName);
    report.erase(report.find("\tcustomer"), 9);
    struct Case {
        bool namesTicked;
        std::vector<TestDataField> fields;
        bool drawsNames;
        bool saysOverfull;
    };
    const Case cases[] = {
        {false, {}, true, false},
        {true, {}, true, true},
        {false, {TestDataField{"date", "115/06/14"}}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.namesTicked);
        FormPainter painter;
        painter.setReport(report, "note.txt");
        painter.setNamesOnly(c.namesTicked);
        painter.setFields(c.fields);
        QImage image(1, 1, QImage::Format_RGB32);
        QPainter onImage(&image);
        const FormFindings findings = painter.draw(onImage, 114);
        EXPECT_EQ(painter.drawsNames(), c.drawsNames);
        EXPECT_EQ(!findings.overfullNames.empty(), c.saysOverfull);
        EXPECT_TRUE(findings.unmatchedNames.empty());
    }
}

}  // namespace
}  // namespace zarvo
