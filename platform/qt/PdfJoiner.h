#pragma once
// PDF documents written one after another, joined into one document on an
// output device: each part's page tree becomes a branch of one root, so the
// pages of each part follow those of the part before. The parts are what the
// Qt PDF writer writes: one classic cross-reference table, no object streams.
// Only one part's table is held at a time; the places of the objects already
// written wait in a temporary file, so a document of any length is joined in
// flat memory.

#include <QByteArray>
#include <QTemporaryFile>

class QIODevice;

namespace zarvo {

class PdfJoiner {
public:
    // Writes to out (not owned, open for writing), from its start.
    explicit PdfJoiner(QIODevice& out);

    // Appends the pages of part, a whole PDF document open for reading; the
    // first part also gives the document's header, catalog and information.
    // False when part is not such a document or the output cannot be written.
    bool append(QIODevice& part);
    // Writes the page tree's root, the cross-reference table and the trailer;
    // false when nothing was appended or the output cannot be written.
    bool finish();

private:
    void appendPart(QIODevice& part);
    void write(const QByteArray& bytes);
    // Notes that the object numbered next starts here.
    void placeObject();

    QIODevice& out_;
    QTemporaryFile places_;  // cross-reference entries of objects 2, 3, ...
    qint64 written_ = 0;
    quint32 objects_ = 1;    // object 1 is the page tree's root, written last
    QByteArray kids_;        // references to each part's page tree
    qint64 pages_ = 0;
    quint32 catalog_ = 0;
    quint32 info_ = 0;
};

}  // namespace zarvo
