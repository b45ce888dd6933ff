// A document reads whole: every page in order with its own paper and its own
// text, the title kept, and nothing a reader repairs. One that would pass its
// byte limit is refused before it is written wrong.

#include "painting/PdfPages.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QMarginsF>

#include <string>

#include "tests/common/Command.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

constexpr int kDpi = 300;
constexpr int kPages = 7;

QPageLayout layoutOf(int page) {
    return page % 2 == 0 ? QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF())
                         : QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF());
}

void drawPage(PdfPages& pages, int page) {
    pages.surface().drawText(300, 300, "page" + std::to_string(page), Font{FontFace::Ming, 100, false});
    pages.surface().drawLine(0, 0, 600, 600, Pen{0, 3, kBlack});
}

// Draws kPages pages into device; what end() answers.
bool drawDocument(QIODevice& device, std::int64_t byteLimit = kPdfByteLimit) {
    PdfPages pages(device, kDpi, "出貨單", byteLimit);
    EXPECT_TRUE(pages.begin(layoutOf(0)));
    drawPage(pages, 0);
    for (int page = 1; page < kPages; ++page) {
        pages.newPage(layoutOf(page));
        drawPage(pages, page);
    }
    const bool ended = pages.end();
    EXPECT_EQ(pages.tooLarge(), !ended);
    return ended;
}

std::string writeDocument(const test::TempDir& dir) {
    const std::string path = (dir.path() / "document.pdf").string();
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(drawDocument(file));
    return path;
}

TEST(PdfPagesTest, OneDocumentWithEveryPageInOrder) {
    test::TempDir dir;
    const std::string path = writeDocument(dir);

    const test::CommandResult info = runCommand("pdfinfo -f 1 -l 7 '" + path + "'", dir);
    EXPECT_EQ(info.err, "");
    EXPECT_NE(info.out.find("Title:           出貨單"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Pages:           7"), std::string::npos) << info.out;
    for (int page = 0; page < kPages; ++page) {
        const std::string size = page % 2 == 0 ? "595 x 842 pts (A4)" : "595 x 420 pts (A5)";
        EXPECT_NE(info.out.find("Page    " + std::to_string(page + 1) + " size:  " + size), std::string::npos)
            << info.out;
    }
    std::string pageTexts;
    for (int page = 0; page < kPages; ++page) pageTexts += "page" + std::to_string(page) + "\n\n\f";
    const test::CommandResult text = runCommand("pdftotext '" + path + "' -", dir);
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(text.out, pageTexts);
    const test::CommandResult render = runCommand("gs -q -dNOPAUSE -dBATCH -sDEVICE=nullpage '" + path + "'", dir);
    EXPECT_EQ(render.out + render.err, "");
}

TEST(PdfPagesTest, ADocumentPastItsByteLimitIsRefusedAndNotWrittenOn) {
    QBuffer whole;
    whole.open(QIODevice::WriteOnly);
    ASSERT_TRUE(drawDocument(whole));
    const qint64 size = whole.size();
    const struct {
        qint64 limit;
        bool written;
    } cases[] = {{size, true}, {size - 1, false}, {size / 2, false}, {1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_EQ(drawDocument(buffer, c.limit), c.written);
        EXPECT_LE(buffer.size(), c.limit);
        if (c.written) {
            EXPECT_EQ(buffer.size(), size);
        }
    }
}

}  // namespace
}  // namespace zarvo
