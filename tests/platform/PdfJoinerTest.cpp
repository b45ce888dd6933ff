// A part that is not a whole document of the PDF writer is refused, whatever
// is wrong with it, and a document with no part is not finished.

#include "platform/qt/PdfJoiner.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

namespace zarvo {
namespace {

QByteArray writtenPart() {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    painter.drawLine(0, 0, 100, 100);
    painter.end();
    return buffer.data();
}

bool joins(QByteArray bytes) {
    QBuffer part(&bytes);
    part.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    PdfJoiner joiner(out);
    return joiner.append(part) && joiner.finish();
}

TEST(PdfJoinerTest, RefusesWhatIsNotAWholeDocument) {
    const QByteArray whole = writtenPart();
    QByteArray pastTheEnd = whole;
    pastTheEnd.replace(whole.lastIndexOf("startxref\n") + 10, 4, "9999");
    QByteArray noPageTree = whole;
    noPageTree.replace("/Pages ", "/Pagez ");
    QByteArray openString = whole;
    openString.replace("/Type /Catalog", "/Type (Catalog");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"not a PDF", QByteArray("hello, world\nstartxref\n0\n%%EOF\n")},
        {"cut in half", whole.left(whole.size() / 2)},
        {"table past the end", pastTheEnd},
        {"catalog without pages", noPageTree},
        {"string never closed", openString},
    };
    ASSERT_TRUE(joins(whole));
    for (const auto& c : cases) EXPECT_FALSE(joins(c.bytes)) << c.name;

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_FALSE(PdfJoiner(out).finish());
}

}  // namespace
}  // namespace zarvo
