#include "tools/orvloc/LocFile.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace loc_file {

namespace {

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

void SkipBlanks(const std::wstring& line, size_t& at) {
    while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
}

bool HexValue(wchar_t c, unsigned& value) {
    if (c >= L'0' && c <= L'9') value = static_cast<unsigned>(c - L'0');
    else if (c >= L'a' && c <= L'f') value = static_cast<unsigned>(c - L'a' + 10);
    else if (c >= L'A' && c <= L'F') value = static_cast<unsigned>(c - L'A' + 10);
    else return false;
    return true;
}

// Reads one quoted string starting at line[at] == '"'; at ends after the closing quote.
bool ReadQuoted(const std::wstring& line, size_t& at, std::wstring& out) {
    if (at >= line.size() || line[at] != L'"') return false;
    ++at;
    out.clear();
    while (at < line.size()) {
        wchar_t c = line[at++];
        if (c == L'"') return true;
        if (c != L'\\') {
            out += c;
            continue;
        }
        if (at >= line.size()) return false;
        wchar_t escaped = line[at++];
        switch (escaped) {
            case L'"': out += L'"'; break;
            case L'\\': out += L'\\'; break;
            case L'n': out += L'\n'; break;
            case L'r': out += L'\r'; break;
            case L't': out += L'\t'; break;
            case L'u': {
                if (at + 4 > line.size()) return false;
                unsigned code = 0;
                for (int i = 0; i < 4; ++i) {
                    unsigned digit = 0;
                    if (!HexValue(line[at++], digit)) return false;
                    code = code * 16 + digit;
                }
                if (code == 0) return false;  // a terminator inside a text would cut it
                out += static_cast<wchar_t>(code);
                break;
            }
            default: return false;
        }
    }
    return false;
}

bool ReadSection(const std::wstring& line, int& id) {
    size_t close = line.find(L']');
    if (line.empty() || line[0] != L'[' || close == std::wstring::npos) return false;
    size_t after = close + 1;
    SkipBlanks(line, after);
    if (after != line.size()) return false;
    std::wstring number = line.substr(1, close - 1);
    if (number.empty() || number.size() > 10) return false;
    wchar_t* end = nullptr;
    unsigned long value = std::wcstoul(number.c_str(), &end, 0);
    if (*end != L'\0' || value == 0 || value > 0xFFFF) return false;
    id = static_cast<int>(value);
    return true;
}

bool ReadEntry(const std::wstring& line, std::wstring& key, std::wstring& text) {
    size_t at = 0;
    if (!ReadQuoted(line, at, key) || key.empty()) return false;
    SkipBlanks(line, at);
    if (at >= line.size() || line[at] != L'=') return false;
    ++at;
    SkipBlanks(line, at);
    if (!ReadQuoted(line, at, text)) return false;
    SkipBlanks(line, at);
    return at == line.size();
}

}  // namespace

ParseResult Parse(const std::string& bytes) {
    ParseResult result;
    std::wstring text = FromUtf8(bytes);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);

    int section = 0;
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        size_t first = 0;
        SkipBlanks(line, first);
        line.erase(0, first);
        while (!line.empty() && (line.back() == L' ' || line.back() == L'\t')) line.pop_back();
        if (line.empty() || line[0] == L'#') continue;

        int id = 0;
        std::wstring key;
        std::wstring translation;
        bool good = false;
        if (line[0] == L'[') {
            good = ReadSection(line, id);
            if (good) section = id;
        } else {
            good = section != 0 && ReadEntry(line, key, translation);
            if (good) result.sections[section][key] = translation;
        }
        if (!good) {
            if (result.badLines++ == 0) result.firstBadLine = lineNumber;
        }
    }
    return result;
}

void Merge(Sections& into, const Sections& later) {
    for (const auto& [id, entries] : later) {
        for (const auto& [key, translation] : entries) into[id][key] = translation;
    }
}

}  // namespace loc_file
