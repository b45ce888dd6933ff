#include "document/ReportSections.h"

#include <algorithm>
#include <optional>

#include "report/RowSchema.h"

namespace zarvo {

namespace {

// The keyword that ends a section when reading it; none for blocks.
std::optional<Section> nextSection(Section section) {
    switch (section) {
    case Section::Lines: return Section::Labels;
    case Section::Labels: return Section::Blocks;
    case Section::Blocks: break;
    }
    return std::nullopt;
}

bool isRowSeparator(QChar c) { return c == u'\t' || c == u' '; }

// Index just past a section: the next section's first keyword line at or
// after firstTested, or the end. Reading starts after the section's keyword
// line; writing tests the keyword line itself too, so that a line holding
// both keywords stays as the next section's.
int sectionEnd(const QStringList& lines, Section section, int firstTested) {
    const std::optional<Section> next = nextSection(section);
    if (!next) return static_cast<int>(lines.size());
    const int end = findKeywordLine(lines, *next, firstTested);
    return end < 0 ? static_cast<int>(lines.size()) : end;
}

// Where a section whose keyword line is missing goes: before the first
// keyword line of a later section, or at the end.
int missingSectionPlace(const QStringList& lines, Section section) {
    int place = static_cast<int>(lines.size());
    for (std::optional<Section> later = nextSection(section); later; later = nextSection(*later)) {
        const int found = findKeywordLine(lines, *later);
        if (found >= 0) place = std::min(place, found);
    }
    return place;
}

}  // namespace

SourceText splitSource(const QString& text) {
    SourceText source;
    if (text.isEmpty()) return source;
    source.lines = text.split(u'\n');
    source.endsWithBreak = text.endsWith(u'\n');
    if (source.endsWithBreak) source.lines.removeLast();
    return source;
}

QString joinSource(const SourceText& source) {
    QString text = source.lines.join(u'\n');
    if (source.endsWithBreak) text += u'\n';
    return text;
}

QString sectionKeyword(Section section) {
    switch (section) {
    case Section::Lines: return QStringLiteral("LINE_INFO");
    case Section::Labels: return QStringLiteral("LABEL_STRING");
    case Section::Blocks: return QStringLiteral("BLOCK_INFO");
    }
    return {};
}

bool isKeywordLine(const QString& line, Section section) {
    return line.toUpper().contains(sectionKeyword(section));
}

int findKeywordLine(const QStringList& lines, Section section, int from) {
    for (int i = std::max(from, 0); i < lines.size(); ++i) {
        if (isKeywordLine(lines[i], section)) return i;
    }
    return -1;
}

int headerPaperCode(const QString& text) {
    const QStringList words = rowWords(text.left(text.indexOf(u'\n') < 0 ? text.size() : text.indexOf(u'\n')));
    return words.isEmpty() ? 0 : words.front().toInt();
}

QString withPaperCode(const QString& text, int code) {
    const qsizetype lineEnd = text.indexOf(u'\n') < 0 ? text.size() : text.indexOf(u'\n');
    qsizetype begin = 0;
    while (begin < lineEnd && isRowSeparator(text[begin])) ++begin;
    qsizetype end = begin;
    while (end < lineEnd && text[end].unicode() > 32 && !isRowSeparator(text[end])) ++end;
    QString rewritten = text;
    rewritten.replace(begin, end - begin, QString::number(code) + (end == begin ? QStringLiteral("\t") : QString()));
    return rewritten;
}

int valueCount(Section section) { return section == Section::Lines ? kLineValueCount : kFrameValueCount; }

QStringList rowWords(const QString& line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin].unicode() <= 32) ++begin;
    while (end > begin && line[end - 1].unicode() <= 32) --end;
    QStringList words;
    qsizetype wordStart = -1;
    for (qsizetype i = begin; i <= end; ++i) {
        const bool cut = i == end || isRowSeparator(line[i]);
        if (cut && wordStart >= 0) {
            words.append(line.mid(wordStart, i - wordStart));
            wordStart = -1;
        } else if (!cut && wordStart < 0) {
            wordStart = i;
        }
    }
    return words;
}

QList<ListRow> readSection(const QStringList& lines, Section section) {
    QList<ListRow> rows;
    const int keyword = findKeywordLine(lines, section);
    if (keyword < 0) return rows;
    const int end = sectionEnd(lines, section, keyword + 1);
    for (int i = keyword + 1; i < end; ++i) {
        QStringList words = rowWords(lines[i]);
        if (words.isEmpty()) continue;
        ListRow row;
        if (section == Section::Lines) {
            // The last word is always a value, so one word leaves the caption empty.
            if (words.size() > 1) row.caption = words.takeFirst();
        } else {
            row.caption = words.takeLast();
        }
        row.values = std::move(words);
        rows.append(std::move(row));
    }
    return rows;
}

QString rowText(const ListRow& row, Section section) {
    QString text;
    if (section == Section::Lines) text = row.caption + u'\t';
    for (const QString& value : row.values) text += value + u'\t';
    if (section != Section::Lines) text += row.caption;
    return text;
}

QString keywordLineText(Section section, qsizetype count) {
    return sectionKeyword(section) + u'\t' + QString::number(count);
}

void writeSection(SourceText& source, Section section, const QList<ListRow>& rows) {
    QStringList& lines = source.lines;
    const int keyword = findKeywordLine(lines, section);
    const int first = keyword >= 0 ? keyword : missingSectionPlace(lines, section);
    const int end = keyword >= 0 ? sectionEnd(lines, section, keyword) : first;

    QStringList written;
    written.reserve(first + rows.size() + 1 + (lines.size() - end));
    written.append(lines.mid(0, first));
    written.append(keywordLineText(section, rows.size()));
    for (const ListRow& row : rows) written.append(rowText(row, section));
    written.append(lines.mid(end));
    lines = std::move(written);
}

}  // namespace zarvo
