#pragma once
// Readable Qt strings in test failure messages.

#include <ostream>

#include <QString>
#include <QStringList>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '{';
    for (const QString& text : list) {
        PrintTo(text, out);
        *out << ' ';
    }
    *out << '}';
}
