#include "Json.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <windows.h>

namespace standin {

std::string utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), length);
    return out;
}

bool readFile(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return ok;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return CloseHandle(file) && ok;
}

const Json& Json::operator[](const wchar_t* name) const {
    static const Json none;
    for (const auto& [key, value] : members)
        if (key == name)
            return value;
    return none;
}

namespace {

class Parser {
public:
    explicit Parser(const std::string& text)
        : mText(text) {}

    Json document() {
        Json value = parse();
        skip();
        if (mPos != mText.size())
            fail();
        return value;
    }

private:
    [[noreturn]] void fail() { throw std::runtime_error("not a saved document"); }
    void skip() {
        while (mPos < mText.size() && (mText[mPos] == ' ' || mText[mPos] == '\t' ||
                                       mText[mPos] == '\r' || mText[mPos] == '\n'))
            ++mPos;
    }
    bool eat(char c) {
        skip();
        if (mPos < mText.size() && mText[mPos] == c)
            return ++mPos, true;
        return false;
    }
    bool word(const char* w) {
        const size_t n = std::strlen(w);
        if (mText.compare(mPos, n, w) != 0)
            return false;
        mPos += n;
        return true;
    }

    Json parse() {
        Json value;
        skip();
        if (eat('{')) {
            value.type = Json::Object;
            while (!eat('}')) {
                if (!value.members.empty() && !eat(','))
                    fail();
                skip();
                std::wstring key = string();
                if (!eat(':'))
                    fail();
                value.members.emplace_back(std::move(key), parse());
            }
        } else if (eat('[')) {
            value.type = Json::Array;
            while (!eat(']')) {
                if (!value.items.empty() && !eat(','))
                    fail();
                value.items.push_back(parse());
            }
        } else if (mPos < mText.size() && mText[mPos] == '"') {
            value.type = Json::String;
            value.string = string();
        } else if (word("true")) {
            value.type = Json::Bool;
            value.boolean = true;
        } else if (word("false")) {
            value.type = Json::Bool;
        } else if (!word("null")) {
            char* end = nullptr;
            value.type = Json::Number;
            value.number = std::strtod(mText.c_str() + mPos, &end);
            if (end == mText.c_str() + mPos)
                fail();
            mPos = static_cast<size_t>(end - mText.c_str());
        }
        return value;
    }

    // \uXXXX escapes are UTF-16 units already, which is what the stories hold.
    std::wstring string() {
        if (mPos >= mText.size() || mText[mPos++] != '"')
            fail();
        std::wstring out;
        std::string run;
        while (mPos < mText.size() && mText[mPos] != '"') {
            const char c = mText[mPos++];
            if (c != '\\') {
                run += c;
                continue;
            }
            out += wide(run);
            run.clear();
            if (mPos >= mText.size())
                fail();
            out += escape(mText[mPos++]);
        }
        if (mPos++ >= mText.size())
            fail();
        return out + wide(run);
    }

    wchar_t escape(char e) {
        switch (e) {
        case '"':
        case '\\':
        case '/':
            return static_cast<wchar_t>(e);
        case 'b':
            return L'\b';
        case 'f':
            return L'\f';
        case 'n':
            return L'\n';
        case 'r':
            return L'\r';
        case 't':
            return L'\t';
        case 'u':
            if (mPos + 4 <= mText.size()) {
                mPos += 4;
                return static_cast<wchar_t>(
                    std::strtoul(mText.substr(mPos - 4, 4).c_str(), nullptr, 16));
            }
        }
        fail();
    }

    const std::string& mText;
    size_t mPos = 0;
};

} // namespace

Json parseJson(const std::string& utf8Text) {
    return Parser(utf8Text).document();
}

std::string quoteJson(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < 0x20) {
            wchar_t escape[8];
            wsprintfW(escape, L"\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return utf8(out + L"\"");
}

} // namespace standin
