// Small helpers of the sending-engine tests.
#pragma once

#include "send/PluginSender.h"
#include "send/SendStatus.h"
#include "support/MyPath.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace send_tests {

// The names in a folder (any length), sorted; "." and ".." left out.
inline std::vector<std::wstring> ListNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(path_text::ForFileSystem(path_text::Join(folder, L"*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

inline void WriteLongPathFile(const std::wstring& path, const std::string& bytes) {
    testing_support::WriteFileBytes(path_text::ForFileSystem(path), bytes);
}

inline std::string ReadLongPathFile(const std::wstring& path) {
    return testing_support::ReadFileBytes(path_text::ForFileSystem(path));
}

// UTF-16 little-endian bytes of a text.
inline std::string Utf16Bytes(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

inline std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

// What a folder sender answered for one file, and the name it saved it under.
struct SendOutcome {
    int status;
    std::wstring savedAs;
};

// Sends one file into the folder with a new folder sender, as the file manager does.
inline SendOutcome SendInto(const std::wstring& folder, const std::wstring& source, bool deleteSource) {
    PluginSend2Folder sender;
    EXPECT_EQ(sender.GetStatus(), send_status::kNotSentYet);
    sender.SetFolder(MyFolderPath(folder));
    int status = sender.Send(MyFilePath(source), deleteSource);
    EXPECT_EQ(status, sender.GetStatus());
    return {status, sender.GetDestinationFilePath().GetPath()};
}

}  // namespace send_tests
