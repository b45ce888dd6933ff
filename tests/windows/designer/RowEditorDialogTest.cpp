#include "designer/RowEditorDialog.h"

#include <gtest/gtest.h>

#include "report/ConversionError.h"

namespace zarvo {
namespace {

TEST(RowEditorDialogTest, ListIndexTextReadsEmptyAsZeroAndRefusesNonIntegers) {
    const struct {
        const char* text;
        int index;
    } good[] = {{"", 0}, {"3", 3}, {"07", 7}, {" 2", 2}, {"-1", -1}, {"99", 99}};
    for (const auto& c : good) EXPECT_EQ(listIndexFromText(QString::fromUtf8(c.text)), c.index) << c.text;

    const char* const bad[] = {"x", " ", "1.5", "2 ", "3a", "中", "99999999999", "😀"};
    for (const char* text : bad) {
        try {
            listIndexFromText(QString::fromUtf8(text));
            ADD_FAILURE() << text << " was read as an index";
        } catch (const ConversionError& error) {
            // The message names the text as the user typed it.
            const std::string shown = std::string(text) == "😀" ? "?" : text;
            EXPECT_EQ(std::string(error.what()), "'" + shown + "' is not a valid integer value");
        }
    }
}

}  // namespace
}  // namespace zarvo
