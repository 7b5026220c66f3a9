#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <atomic>
#include <fstream>
#include <vector>

namespace testing_support {

std::wstring FromUnixPath(const char* path) {
    std::wstring result = L"Z:";
    for (const char* p = path; *p; ++p) result += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return result;
}

std::wstring BinFolder() { return FromUnixPath(TEST_BINARY_DIR "/bin"); }
std::wstring StandinFolder() { return FromUnixPath(TEST_BINARY_DIR "/bin/standins"); }
std::wstring SourceFolder() { return FromUnixPath(TEST_SOURCE_DIR); }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    raii::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create file, error " << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
}

std::string ReadFileBytes(const std::wstring& path) {
    raii::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

void CopyFileOrFail(const std::wstring& from, const std::wstring& to) {
    ASSERT_TRUE(::CopyFileW(from.c_str(), to.c_str(), FALSE)) << "copy failed, error " << ::GetLastError();
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"plugintest_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
             std::to_wstring(::GetTickCount()) + L"_" + std::to_wstring(++counter);
    if (!::CreateDirectoryW(m_path.c_str(), nullptr)) {
        ADD_FAILURE() << "cannot create scratch folder, error " << ::GetLastError();
    }
}

ScratchFolder::~ScratchFolder() { RemoveTree(m_path); }

void RemoveTree(const std::wstring& path) {
    std::wstring extended = path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
    WIN32_FIND_DATAW data;
    raii::UniqueFind find(::FindFirstFileW((extended + L"\\*").c_str(), &data));
    if (find) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = extended + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    ::SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(extended.c_str());
}

ScratchKey::ScratchKey(HKEY root) : m_root(root) {
    static std::atomic<int> counter{0};
    m_subKey = L"Software\\PluginTests\\k" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
               std::to_wstring(++counter);
    raii::UniqueKey key;
    LSTATUS status = ::RegCreateKeyExW(root, m_subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                                       nullptr);
    if (status != ERROR_SUCCESS) ADD_FAILURE() << "cannot create scratch key, error " << status;
}

ScratchKey::~ScratchKey() { ::RegDeleteTreeW(m_root, m_subKey.c_str()); }

void ScratchKey::SetString(const wchar_t* valueName, const std::wstring& value, DWORD type, const std::wstring& below) {
    std::wstring path = below.empty() ? m_subKey : m_subKey + L"\\" + below;
    LSTATUS status = ::RegSetKeyValueW(m_root, path.c_str(), valueName, type, value.c_str(),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ASSERT_EQ(status, ERROR_SUCCESS);
}

void ScratchKey::SetDword(const wchar_t* valueName, DWORD value, const std::wstring& below) {
    std::wstring path = below.empty() ? m_subKey : m_subKey + L"\\" + below;
    ASSERT_EQ(::RegSetKeyValueW(m_root, path.c_str(), valueName, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
}

RegistryValueOverride::RegistryValueOverride(HKEY root, std::wstring subKey, std::wstring valueName,
                                             const std::wstring* value)
    : m_root(root), m_subKey(std::move(subKey)), m_valueName(std::move(valueName)) {
    raii::UniqueKey key;
    m_hadKey = ::RegOpenKeyExW(m_root, m_subKey.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
    if (m_hadKey) {
        DWORD size = 0;
        if (::RegQueryValueExW(key.Get(), m_valueName.c_str(), nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
            m_bytes.resize(size);
            ::RegQueryValueExW(key.Get(), m_valueName.c_str(), nullptr, &m_type,
                               reinterpret_cast<BYTE*>(m_bytes.data()), &size);
            m_hadValue = true;
        }
    }
    if (value) {
        ::RegSetKeyValueW(m_root, m_subKey.c_str(), m_valueName.c_str(), REG_SZ, value->c_str(),
                          static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    } else if (m_hadValue) {
        ::RegDeleteKeyValueW(m_root, m_subKey.c_str(), m_valueName.c_str());
    }
}

RegistryValueOverride::~RegistryValueOverride() {
    if (m_hadValue) {
        ::RegSetKeyValueW(m_root, m_subKey.c_str(), m_valueName.c_str(), m_type, m_bytes.data(),
                          static_cast<DWORD>(m_bytes.size()));
    } else if (m_hadKey) {
        ::RegDeleteKeyValueW(m_root, m_subKey.c_str(), m_valueName.c_str());
    } else {
        ::RegDeleteKeyValueW(m_root, m_subKey.c_str(), m_valueName.c_str());
        ::RegDeleteKeyW(m_root, m_subKey.c_str());
    }
}

}  // namespace testing_support
