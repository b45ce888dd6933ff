#include "platform/qt/PdfJoiner.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include <QIODevice>

namespace zarvo {

namespace {

// The part cannot be read as a document of the Qt writer, or the output
// cannot be written.
struct JoinFault {};

constexpr qint64 kTailBytes = 1024;          // where "startxref" is looked for
constexpr qint64 kEntryBytes = 20;           // one cross-reference entry
constexpr qint64 kMostObjects = 8388607;     // the largest object number PDF allows
constexpr qint64 kCopyChunk = 1 << 16;

bool isWhite(char c) { return c == '\0' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }
bool isDelimiter(char c) { return c != '\0' && std::strchr("()<>[]{}/%", c) != nullptr; }

enum class TokenKind { Integer, Name, Keyword, DictOpen, Other };

struct Token {
    TokenKind kind = TokenKind::Other;
    qsizetype start = 0;
    qsizetype end = 0;
};

// The tokens of PDF object syntax in bytes, from a place on.
class Lexer {
public:
    Lexer(const QByteArray& bytes, qsizetype pos) : bytes_(bytes), pos_(pos) {}

    std::optional<Token> next() {
        skipBlanks();
        if (pos_ >= bytes_.size()) return std::nullopt;
        Token token{TokenKind::Other, pos_, pos_};
        const char c = bytes_[pos_];
        if (c == '(') {
            skipString();
        } else if (c == '<' && at(pos_ + 1) == '<') {
            token.kind = TokenKind::DictOpen;
            pos_ += 2;
        } else if (c == '<') {
            pos_ = bytes_.indexOf('>', pos_);
            if (pos_ < 0) throw JoinFault{};
            ++pos_;
        } else if (c == '>') {
            if (at(pos_ + 1) != '>') throw JoinFault{};
            pos_ += 2;
        } else if (c == ')') {
            throw JoinFault{};
        } else if (isDelimiter(c) && c != '/') {
            ++pos_;
        } else {
            token.kind = c == '/' ? TokenKind::Name : regularKind();
            ++pos_;
            while (pos_ < bytes_.size() && !isWhite(bytes_[pos_]) && !isDelimiter(bytes_[pos_])) ++pos_;
        }
        token.end = pos_;
        return token;
    }

    void seek(qsizetype pos) { pos_ = pos; }

private:
    char at(qsizetype pos) const { return pos < bytes_.size() ? bytes_[pos] : '\0'; }

    void skipBlanks() {
        while (pos_ < bytes_.size()) {
            if (bytes_[pos_] == '%') {
                while (pos_ < bytes_.size() && bytes_[pos_] != '\n' && bytes_[pos_] != '\r') ++pos_;
            } else if (isWhite(bytes_[pos_])) {
                ++pos_;
            } else {
                return;
            }
        }
    }

    void skipString() {
        int depth = 0;
        for (; pos_ < bytes_.size(); ++pos_) {
            const char c = bytes_[pos_];
            if (c == '\\') {
                ++pos_;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                ++pos_;
                return;
            }
        }
        throw JoinFault{};
    }

    // An integer (digits with an optional sign), a keyword (a letter
    // first) or another number.
    TokenKind regularKind() const {
        qsizetype pos = pos_;
        if (bytes_[pos] == '+' || bytes_[pos] == '-') ++pos;
        const qsizetype digits = pos;
        while (pos < bytes_.size() && bytes_[pos] >= '0' && bytes_[pos] <= '9') ++pos;
        if (pos > digits && (pos == bytes_.size() || isWhite(bytes_[pos]) || isDelimiter(bytes_[pos]))) {
            return TokenKind::Integer;
        }
        const char c = bytes_[pos_];
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ? TokenKind::Keyword : TokenKind::Other;
    }

    const QByteArray& bytes_;
    qsizetype pos_;
};

QByteArrayView textOf(const QByteArray& bytes, const Token& token) {
    return QByteArrayView(bytes).sliced(token.start, token.end - token.start);
}

qint64 integerOf(const QByteArray& bytes, const Token& token) {
    bool ok = false;
    const qint64 value = textOf(bytes, token).toLongLong(&ok);
    if (!ok) throw JoinFault{};
    return value;
}

Token expect(Lexer& lexer, TokenKind kind) {
    const std::optional<Token> token = lexer.next();
    if (!token || token->kind != kind) throw JoinFault{};
    return *token;
}

QByteArray readAt(QIODevice& device, qint64 place, qint64 length) {
    if (length < 0 || !device.seek(place)) throw JoinFault{};
    QByteArray bytes = device.read(length);
    if (bytes.size() != length) throw JoinFault{};
    return bytes;
}

// The objects "N G R" that name keys refer to in a dictionary, read up to
// its end or the end of bytes.
struct KeyReferences {
    std::vector<std::pair<QByteArray, qint64>> found;
    qint64 of(QByteArrayView key) const {
        for (const auto& [name, object] : found) {
            if (name == key) return object;
        }
        return 0;
    }
};

KeyReferences keyReferences(const QByteArray& bytes, qsizetype pos) {
    KeyReferences references;
    Lexer lexer(bytes, pos);
    std::vector<Token> recent;
    while (const std::optional<Token> token = lexer.next()) {
        const QByteArrayView text = textOf(bytes, *token);
        if (token->kind == TokenKind::Keyword && (text == "startxref" || text == "endobj" || text == "stream")) break;
        recent.push_back(*token);
        const std::size_t n = recent.size();
        if (text == "R" && n >= 4 && recent[n - 4].kind == TokenKind::Name &&
            recent[n - 3].kind == TokenKind::Integer && recent[n - 2].kind == TokenKind::Integer) {
            references.found.emplace_back(textOf(bytes, recent[n - 4]).toByteArray(),
                                          integerOf(bytes, recent[n - 3]));
        }
    }
    return references;
}

// A part's cross-reference table: where each object starts (-1 for a free
// one), where the table starts, and the trailer's catalog and information.
struct PartTable {
    std::vector<qint64> places;
    qint64 tablePlace = 0;
    qint64 catalog = 0;
    qint64 info = 0;
};

PartTable readTable(QIODevice& part) {
    const qint64 size = part.size();
    const qint64 tailStart = std::max<qint64>(0, size - kTailBytes);
    const QByteArray tail = readAt(part, tailStart, size - tailStart);
    const qsizetype startxref = tail.lastIndexOf("startxref");
    if (startxref < 0) throw JoinFault{};
    Lexer tailLexer(tail, startxref + 9);
    PartTable table;
    table.tablePlace = integerOf(tail, expect(tailLexer, TokenKind::Integer));
    if (table.tablePlace <= 0 || table.tablePlace >= size) throw JoinFault{};

    const QByteArray bytes = readAt(part, table.tablePlace, size - table.tablePlace);
    Lexer lexer(bytes, 0);
    if (textOf(bytes, expect(lexer, TokenKind::Keyword)) != "xref") throw JoinFault{};
    for (;;) {
        const std::optional<Token> token = lexer.next();
        if (!token) throw JoinFault{};
        if (textOf(bytes, *token) == "trailer") {
            const KeyReferences trailer = keyReferences(bytes, token->end);
            table.catalog = trailer.of("/Root");
            table.info = trailer.of("/Info");
            return table;
        }
        if (token->kind != TokenKind::Integer) throw JoinFault{};
        const qint64 first = integerOf(bytes, *token);
        const Token countToken = expect(lexer, TokenKind::Integer);
        const qint64 count = integerOf(bytes, countToken);
        qsizetype entry = countToken.end;
        while (entry < bytes.size() && isWhite(bytes[entry])) ++entry;
        if (first < 0 || count < 0 || first + count > kMostObjects ||
            count > (bytes.size() - entry) / kEntryBytes) {
            throw JoinFault{};
        }
        if (static_cast<qint64>(table.places.size()) < first + count) table.places.resize(first + count, -1);
        for (qint64 i = 0; i < count; ++i, entry += kEntryBytes) {
            const bool used = bytes[entry + 17] == 'n';
            const qint64 place = used ? textOf(bytes, {TokenKind::Integer, entry, entry + 10}).toLongLong() : -1;
            if (used && (place <= 0 || place >= table.tablePlace)) throw JoinFault{};
            table.places[first + i] = place;
        }
        lexer.seek(entry);
    }
}

QByteArray entryAt(qint64 place) {
    char entry[kEntryBytes + 1];
    std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(place));
    return QByteArray(entry, kEntryBytes);
}

// One part's objects, renumbered in the joined document.
class PartCopy {
public:
    PartCopy(QIODevice& part, PartTable table, bool first, quint32& objects)
        : part_(part), table_(std::move(table)), numbers_(table_.places.size(), 0) {
        const qint64 count = static_cast<qint64>(table_.places.size());
        if (table_.catalog <= 0 || table_.catalog >= count || table_.places[table_.catalog] < 0) throw JoinFault{};
        ends_ = table_.places;
        ends_.push_back(table_.tablePlace);
        std::sort(ends_.begin(), ends_.end());
        pageTree_ = keyReferences(objectBytes(table_.catalog), 0).of("/Pages");
        if (pageTree_ <= 0 || pageTree_ >= count || table_.places[pageTree_] < 0) throw JoinFault{};
        for (qint64 n = 1; n < count; ++n) {
            const bool ownObject = n == table_.catalog || n == table_.info;
            if (table_.places[n] >= 0 && (first || !ownObject)) numbers_[n] = ++objects;
        }
    }

    // The header: what comes before the first object.
    QByteArray header() {
        const auto first = std::find_if(ends_.begin(), ends_.end(), [](qint64 place) { return place >= 0; });
        const QByteArray header = readAt(part_, 0, *first);
        if (!header.startsWith("%PDF-")) throw JoinFault{};
        return header;
    }

    quint32 numberOf(qint64 object) const {
        return object > 0 && object < static_cast<qint64>(numbers_.size()) ? numbers_[object] : 0;
    }
    quint32 pageTree() const { return numberOf(pageTree_); }

    // The objects in their new numbers' order, each handed to put with the
    // pages it counts (a page tree's /Count, else 0).
    template <typename Put>
    void copy(Put put) {
        for (qint64 n = 1; n < static_cast<qint64>(numbers_.size()); ++n) {
            if (numbers_[n] == 0) continue;
            qint64 pages = 0;
            QByteArray object = renumbered(n, objectBytes(n), pages);
            put(object, pages);
        }
    }

private:
    QByteArray objectBytes(qint64 n) {
        const qint64 start = table_.places[n];
        const qint64 end = *std::upper_bound(ends_.begin(), ends_.end(), start);
        return readAt(part_, start, end - start);
    }

    // Object n with every reference renumbered (a reference to an object the
    // part lacks becomes null, as PDF reads it); the page tree gains the
    // joined root as its parent, and the catalog's pages are the joined root.
    QByteArray renumbered(qint64 n, const QByteArray& bytes, qint64& pages) const {
        Lexer lexer(bytes, 0);
        if (integerOf(bytes, expect(lexer, TokenKind::Integer)) != n) throw JoinFault{};
        expect(lexer, TokenKind::Integer);
        const Token obj = expect(lexer, TokenKind::Keyword);
        QByteArray result = QByteArray::number(numbers_[n]) + " 0 obj";
        qsizetype copied = obj.end;
        const bool pageTree = n == pageTree_;
        bool parentAdded = false;
        std::vector<Token> recent;
        while (const std::optional<Token> token = lexer.next()) {
            const QByteArrayView text = textOf(bytes, *token);
            if (token->kind == TokenKind::Keyword && text == "endobj") {
                result += QByteArrayView(bytes).sliced(copied, token->end - copied);
                return result + '\n';
            }
            if (token->kind == TokenKind::Keyword && text == "stream") {
                // The data goes across as it stands, up to the object's last "endstream".
                const qsizetype end = bytes.lastIndexOf("endstream");
                if (end < token->end) throw JoinFault{};
                result += QByteArrayView(bytes).sliced(copied, end - copied);
                copied = end;
                lexer.seek(end);
                recent.clear();
                continue;
            }
            const std::size_t count = recent.size();
            if (token->kind == TokenKind::DictOpen && pageTree && !parentAdded) {
                result += QByteArrayView(bytes).sliced(copied, token->end - copied);
                result += "\n/Parent 1 0 R";
                copied = token->end;
                parentAdded = true;
            } else if (text == "R" && count >= 2 && recent[count - 2].kind == TokenKind::Integer &&
                       recent[count - 1].kind == TokenKind::Integer) {
                const Token& object = recent[count - 2];
                const bool catalogPages = n == table_.catalog && count >= 3 &&
                                          textOf(bytes, recent[count - 3]) == "/Pages";
                const quint32 number = catalogPages ? 1 : numberOf(integerOf(bytes, object));
                result += QByteArrayView(bytes).sliced(copied, object.start - copied);
                result += number == 0 ? QByteArray("null") : QByteArray::number(number) + " 0 R";
                copied = token->end;
            } else if (pageTree && token->kind == TokenKind::Integer && count >= 1 &&
                       textOf(bytes, recent[count - 1]) == "/Count") {
                pages = integerOf(bytes, *token);
            }
            recent.push_back(*token);
        }
        throw JoinFault{};
    }

    QIODevice& part_;
    PartTable table_;
    std::vector<quint32> numbers_;  // the joined document's numbers, 0 for none
    std::vector<qint64> ends_;      // every object's start and the table's, sorted
    qint64 pageTree_ = 0;
};

}  // namespace

PdfJoiner::PdfJoiner(QIODevice& out) : out_(out) {}

bool PdfJoiner::append(QIODevice& part) {
    try {
        appendPart(part);
        return true;
    } catch (const JoinFault&) {
        return false;
    }
}

void PdfJoiner::appendPart(QIODevice& part) {
    if (!places_.isOpen() && !places_.open()) throw JoinFault{};
    const bool first = kids_.isEmpty();
    PartTable table = readTable(part);
    const qint64 catalog = table.catalog;
    const qint64 info = table.info;
    PartCopy copy(part, std::move(table), first, objects_);
    if (first) {
        write(copy.header());
        catalog_ = copy.numberOf(catalog);
        info_ = copy.numberOf(info);
    }
    copy.copy([&](const QByteArray& object, qint64 pages) {
        placeObject();
        write(object);
        pages_ += pages;
    });
    kids_ += QByteArray::number(copy.pageTree()) + " 0 R ";
}

bool PdfJoiner::finish() {
    try {
        if (kids_.isEmpty() || catalog_ == 0) return false;
        const qint64 root = written_;
        write("1 0 obj\n<<\n/Type /Pages\n/Kids [" + kids_ + "]\n/Count " + QByteArray::number(pages_) +
              "\n>>\nendobj\n");
        const qint64 table = written_;
        write("xref\n0 " + QByteArray::number(objects_ + 1) + "\n0000000000 65535 f \n" + entryAt(root));
        if (!places_.seek(0)) throw JoinFault{};
        while (!places_.atEnd()) {
            const QByteArray entries = places_.read(kCopyChunk);
            if (entries.isEmpty()) throw JoinFault{};
            write(entries);
        }
        QByteArray trailer = "trailer\n<<\n/Size " + QByteArray::number(objects_ + 1) + "\n/Root " +
                             QByteArray::number(catalog_) + " 0 R\n";
        if (info_ != 0) trailer += "/Info " + QByteArray::number(info_) + " 0 R\n";
        write(trailer + ">>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n");
        return true;
    } catch (const JoinFault&) {
        return false;
    }
}

void PdfJoiner::write(const QByteArray& bytes) {
    if (out_.write(bytes) != bytes.size()) throw JoinFault{};
    written_ += bytes.size();
}

void PdfJoiner::placeObject() {
    if (places_.write(entryAt(written_)) != kEntryBytes) throw JoinFault{};
}

}  // namespace zarvo
