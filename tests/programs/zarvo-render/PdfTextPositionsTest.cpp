// zarvo-render --print --pdf puts every character where it has always put
// it. text_positions/styleN.txt holds a page of writing style N with a frame
// for every distribution mode and font code (Ming and Kai, upright and
// turned one-byte characters, four sizes); styleN.pdf beside it is that page
// as the renderer wrote it, checked by eye. Poppler reads both back, and
// every character's box must lie within 0.05 mm of the same character's box
// in the kept file. The preview image sets a value as the PDF does.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <QImage>
#include <QRectF>
#include <QString>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"
#include "tests/support/RasterisedPages.h"

namespace zarvo {
namespace {

using test::CommandResult;
using test::TempDir;

const std::string kPages = std::string(ZARVO_SOURCE_DIR) + "/tests/programs/zarvo-render/text_positions/";
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

// The ink of dark (not red) pixels inside area (mm) of an image at dpi, in mm.
QRectF darkInkMm(const QImage& image, const QRectF& areaMm, int dpi) {
    const double perMm = dpi / 25.4;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QRectF ink;
    for (int y = int(areaMm.top() * perMm); y < int(areaMm.bottom() * perMm); ++y) {
        for (int x = int(areaMm.left() * perMm); x < int(areaMm.right() * perMm); ++x) {
            const QRgb pixel = rgb.pixel(x, y);
            if (qRed(pixel) < 128 && qGray(pixel) < 128) ink |= QRectF(x / perMm, y / perMm, 1 / perMm, 1 / perMm);
        }
    }
    return ink;
}

TEST(PdfTextPositionsTest, ThePreviewImageSetsAValueAsThePrintedPageDoes) {
    TempDir dir;
    const std::string examples = std::string(ZARVO_SOURCE_DIR) + "/examples/";
    // The customer value alone, in its frame of 98 x 8 mm at (32, 42) on the sheet.
    const std::string allData = TempDir::read(examples + "delivery_note_data.txt");
    const std::string data = dir.write("customer.txt", allData.substr(0, allData.find('\n') + 1));
    const std::string args = " --data-dir '" + (dir.path() / "data").string() + "' ";
    const std::string png = (dir.path() / "preview.png").string();
    const std::string pdf = (dir.path() / "print.pdf").string();
    const std::string form = "'" + examples + "delivery_note.txt' '" + data + "'";
    ASSERT_EQ(test::runCommand(std::string(ZARVO_RENDER) + args + "--png '" + png + "' " + form, dir).status, 0);
    ASSERT_EQ(test::runCommand(std::string(ZARVO_RENDER) + args + "--print --pdf '" + pdf + "' " + form, dir).status,
              0);
    const auto pages = test::rasterisedPages(pdf, 600, dir.path());
    ASSERT_EQ(pages.size(), 1u);
    const QRectF frame(32.5, 43, 97, 6);  // inside the ruled lines around it
    const QRectF preview = darkInkMm(QImage(QString::fromStdString(png)), frame, 114);
    const QRectF printed = darkInkMm(pages.front(), frame, 600);
    ASSERT_GT(printed.width(), 30);
    // Two preview pixels at the most, in width and place.
    constexpr double kTwoPreviewPixels = 0.45;
    EXPECT_NEAR(preview.width(), printed.width(), kTwoPreviewPixels);
    EXPECT_NEAR(preview.left(), printed.left(), kTwoPreviewPixels);
    EXPECT_NEAR(preview.right(), printed.right(), kTwoPreviewPixels);
}

}  // namespace
}  // namespace zarvo
