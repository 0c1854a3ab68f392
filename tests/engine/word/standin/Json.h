#pragma once

#include <string>
#include <utility>
#include <vector>

// UTF-8 files and the small JSON subset the stand-in's saved documents use. Strings are UTF-16
// inside, as BSTRs are, so that offsets into a story mean the same everywhere.
namespace standin {

std::string utf8(const std::wstring& text);
std::wstring wide(const std::string& text);
/// The whole file, or false when it cannot be read.
bool readFile(const std::wstring& path, std::string& bytes);
/// Writes the whole file, replacing it; false when it cannot be written.
bool writeFile(const std::wstring& path, const std::string& bytes);

/// A JSON value. Numbers are kept as double; objects keep their members' order.
struct Json {
    enum Type { Null, Bool, Number, String, Array, Object };
    Type type = Null;
    bool boolean = false;
    double number = 0;
    std::wstring string;
    std::vector<Json> items;
    std::vector<std::pair<std::wstring, Json>> members;

    /// The member of that name, or a null value.
    const Json& operator[](const wchar_t* name) const;
};

/// Parses a whole document; throws std::runtime_error when it is no JSON.
Json parseJson(const std::string& utf8Text);
/// A JSON string literal, quotes included, in UTF-8.
std::string quoteJson(const std::wstring& text);

} // namespace standin
