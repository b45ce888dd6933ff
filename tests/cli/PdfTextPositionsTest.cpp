// zarvo-render --print --pdf puts every character where it has always put
// it. text_positions/styleN.txt holds a page of writing style N with a frame
// for every distribution mode and font code (Ming and Kai, upright and
// turned one-byte characters, four sizes); styleN.pdf beside it is that page
// as the renderer wrote it when it still drew one character at a time.
// Poppler reads both back, and every character's box must lie within
// 0.05 mm of the same character's box in the kept file.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <QRectF>
#include <QString>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::CommandResult;
using test::TempDir;

const std::string kPages = std::string(ZARVO_SOURCE_DIR) + "/tests/cli/text_positions/";
// 0.05 mm in points, Poppler's unit.
constexpr double kTolerance = 0.05 / 25.4 * 72;

struct CharacterBox {
    QString text;
    QRectF box;
};

// Every character Poppler reads on the first page of a PDF file, with its box.
std::vector<CharacterBox> characterBoxes(const std::string& pdf) {
    std::vector<CharacterBox> characters;
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(QString::fromStdString(pdf));
    if (!document || document->numPages() < 1) return characters;
    for (const std::unique_ptr<Poppler::TextBox>& word : document->page(0)->textList()) {
        for (int i = 0; i < word->text().size(); ++i) {
            characters.push_back({word->text().mid(i, 1), word->charBoundingBox(i)});
        }
    }
    return characters;
}

bool near(const QRectF& a, const QRectF& b) {
    return std::abs(a.left() - b.left()) <= kTolerance && std::abs(a.top() - b.top()) <= kTolerance &&
           std::abs(a.right() - b.right()) <= kTolerance && std::abs(a.bottom() - b.bottom()) <= kTolerance;
}

// The characters of drawn that no character of kept matches (same text, box
// within the tolerance), each of kept matching once.
std::vector<CharacterBox> unmatched(const std::vector<CharacterBox>& drawn, std::vector<CharacterBox> kept) {
    std::vector<CharacterBox> left;
    for (const CharacterBox& character : drawn) {
        const auto match = std::find_if(kept.begin(), kept.end(), [&](const CharacterBox& k) {
            return k.text == character.text && near(k.box, character.box);
        });
        if (match == kept.end()) {
            left.push_back(character);
        } else {
            kept.erase(match);
        }
    }
    return left;
}

TEST(PdfTextPositionsTest, EveryCharacterKeepsItsBoxInEveryWritingStyle) {
    TempDir dir;
    for (int style = 0; style < 4; ++style) {
        SCOPED_TRACE("style " + std::to_string(style));
        const std::string name = "style" + std::to_string(style);
        const std::string pdf = (dir.path() / (name + ".pdf")).string();
        const CommandResult result = test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" +
                                                          (dir.path() / "data").string() + "' --print --pdf '" +
                                                          pdf + "' '" + kPages + name + ".txt'",
                                                      dir);
        ASSERT_EQ(result.status, 0) << result.err;

        const std::vector<CharacterBox> kept = characterBoxes(kPages + name + ".pdf");
        const std::vector<CharacterBox> drawn = characterBoxes(pdf);
        ASSERT_GT(kept.size(), 400u);
        EXPECT_EQ(drawn.size(), kept.size());
        const std::vector<CharacterBox> strays = unmatched(drawn, kept);
        EXPECT_TRUE(strays.empty()) << strays.size() << " characters moved, the first "
                                    << strays.front().text.toStdString() << " to " << strays.front().box.left()
                                    << "," << strays.front().box.top() << " pt";
    }
}

}  // namespace
}  // namespace zarvo
