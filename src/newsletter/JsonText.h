#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <stdexcept>
#include <vector>

// JSON files of users' own: their mistakes are named by line and column, as an editor shows
// them.
namespace brindlecast {

/// JSON that cannot be read; what() says where and why ("not valid JSON at line 3, column 14:
/// missing comma").
class JsonTextError : public std::runtime_error {
public:
    JsonTextError(const QString& message, int line);
    int line() const { return mLine; }

private:
    int mLine;
};

/// Parses UTF-8 JSON text; throws JsonTextError.
QJsonDocument ParseJsonText(const QByteArray& utf8);

/// The line (1-based) each element of the top-level array of valid JSON `utf8` starts on.
std::vector<int> JsonArrayElementLines(const QByteArray& utf8);

} // namespace brindlecast
