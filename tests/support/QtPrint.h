#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Texts in a failed expectation as text, not as the bytes GoogleTest would show. Found by
// argument-dependent lookup, so in the global namespace as Qt's types are.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *out << (i ? ", " : "");
        PrintTo(texts[i], out);
    }
    *out << '}';
}
