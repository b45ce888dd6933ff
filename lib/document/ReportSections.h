#pragma once
// The designer's view of a report file's text: its three sections found by
// their keyword lines, read into list rows and written back from them. The
// rows stay text exactly as read or typed; nothing here parses a number.

#include <QList>
#include <QString>
#include <QStringList>

namespace zarvo {

// The three sections, in the order the format puts them.
enum class Section { Lines, Labels, Blocks };

// One list row: the caption (first column) and the value texts in order.
struct ListRow {
    QString caption;
    QStringList values;
    bool operator==(const ListRow&) const = default;
};

// A text as lines (without their line breaks) and whether it ended with a
// line break. An empty text has no lines.
struct SourceText {
    QStringList lines;
    bool endsWithBreak = false;
    bool operator==(const SourceText&) const = default;
};

// Splits text (LF line breaks) into its lines.
SourceText splitSource(const QString& text);
// Joins lines with LF, adding a final LF when the text ended with one.
QString joinSource(const SourceText& source);

// text with the first field of its first line (the header's paper code)
// replaced by code, everything else as it was; a first line without a field
// gets code in front.
QString withPaperCode(const QString& text, int code);
// The header's paper code: the first field of text's first line as a whole
// number; 0 when it is none.
int headerPaperCode(const QString& text);

// The section's keyword: "LINE_INFO", "LABEL_STRING" or "BLOCK_INFO".
QString sectionKeyword(Section section);
// Whether line, upper-cased, holds the section's keyword anywhere.
bool isKeywordLine(const QString& line, Section section);
// Index of the first keyword line of section at or after from; -1 when none.
int findKeywordLine(const QStringList& lines, Section section, int from = 0);

// How many values a list row of section has beside its caption.
int valueCount(Section section);

// The words of a row line: trimmed of codes 0..32 at both ends, cut at every
// run of tabs and spaces; empty when the line is no row.
QStringList rowWords(const QString& line);

// The rows of section in lines: blocks and labels take the last word as the
// caption, lines the first (a line row of one word has an empty caption).
// Empty when the section's keyword line is missing.
QList<ListRow> readSection(const QStringList& lines, Section section);

// A row as written: values each followed by a tab, then the caption, for
// blocks and labels; the caption and every value each followed by a tab for
// lines.
QString rowText(const ListRow& row, Section section);
// The keyword line written for a section of count rows: keyword, tab, count.
QString keywordLineText(Section section, qsizetype count);

// Replaces section in source by a fresh keyword line with the true count and
// rows. The section ends at the next section's first keyword line (blocks run
// to the end). A section whose keyword line is missing is written where the
// format puts it: lines before the first labels or blocks keyword line,
// labels before the first blocks keyword line, otherwise at the end.
// Whether the text ends with a line break does not change.
void writeSection(SourceText& source, Section section, const QList<ListRow>& rows);

}  // namespace zarvo
