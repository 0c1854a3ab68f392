#include "JsonText.h"

#include <QString>
#include <algorithm>

namespace brindlecast {

JsonTextError::JsonTextError(const QString& message, int line)
    : std::runtime_error(message.toStdString())
    , mLine(line) {}

QJsonDocument ParseJsonText(const QByteArray& utf8) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    if (error.error == QJsonParseError::NoError)
        return document;
    // The parser counts bytes, and names the one after the mistake; a person counts lines and
    // the characters on them.
    const qsizetype offset = std::clamp<qsizetype>(error.offset - 1, 0, utf8.size());
    const qsizetype lineStart = utf8.lastIndexOf('\n', offset - 1) + 1;
    const int line = int(utf8.left(offset).count('\n')) + 1;
    const int column = int(QString::fromUtf8(utf8.mid(lineStart, offset - lineStart)).size()) + 1;
    throw JsonTextError(QStringLiteral("not valid JSON at line %1, column %2: %3")
                            .arg(line)
                            .arg(column)
                            .arg(error.errorString()),
                        line);
}

std::vector<int> JsonArrayElementLines(const QByteArray& utf8) {
    std::vector<int> lines;
    int line = 1;
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    bool awaiting = false; // inside the top-level array, before an element
    for (const char c : utf8) {
        if (c == '\n')
            ++line;
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (depth == 1 && awaiting && c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ',' &&
            c != ']') {
            lines.push_back(line);
            awaiting = false;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth == 1)
                awaiting = true;
        } else if (c == ']' || c == '}') {
            --depth;
        } else if (c == ',' && depth == 1) {
            awaiting = true;
        }
    }
    return lines;
}

} // namespace brindlecast
