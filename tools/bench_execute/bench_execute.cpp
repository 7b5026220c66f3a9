// Times real batches through the Execute call of the application object (progress dialog,
// worker thread, file manager, folder senders, settings file) and, in the same run, a bare
// loop of CopyFileW over the same files into a fresh folder, and prints the ratio:
//   (a) 2,000 files of 64 KB, (b) 8 files of 64 MB,
//   (c) 100, 200 and 300 files all named scan.pdf into one folder (the numbered-name search).
// The dialog's fixed waits (500 ms before the batch, 100 ms after it) are reported apart.
// The cloud client's sync-folder value is pointed at the run's folders and put back at the end;
// the settings file lies in the run's folder.
//   bench_execute.exe [folder]   (the run's files go into a new sub-folder of folder, default
//   the temporary folder, removed at the end)
#include "app/PluginAppBrellix.h"
#include "send/PluginSender.h"
#include "send/SendStatus.h"
#include "settings/PluginWriter.h"
#include "support/MyGuid.h"
#include "support/MyPath.h"
#include "support/OrvInfoLog.h"
#include "support/Raii.h"
#include "ui/PluginProgressDialog.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr wchar_t kGeneralKey[] = L"Software\\Quontel\\Brellix\\General";
constexpr wchar_t kSyncValue[] = L"DefaultSyncFolderPath";
constexpr int kRounds = 3;  // medians of this many rounds
constexpr double kFixedWaitMs =
    PluginProgressDialog::kStartDelayMs + PluginProgressDialog::kCloseDelayMs;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Puts the sync-folder value back as it was (or removes it) when the run ends.
class SyncValueKeeper {
public:
    SyncValueKeeper() {
        raii::UniqueKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kGeneralKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
        DWORD size = 0;
        if (::RegQueryValueExW(key.Get(), kSyncValue, nullptr, &m_type, nullptr, &size) != ERROR_SUCCESS) return;
        m_bytes.resize(size);
        m_had = ::RegQueryValueExW(key.Get(), kSyncValue, nullptr, &m_type, m_bytes.data(), &size) == ERROR_SUCCESS;
    }
    ~SyncValueKeeper() {
        if (m_had) {
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kGeneralKey, kSyncValue, m_type, m_bytes.data(),
                              static_cast<DWORD>(m_bytes.size()));
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kGeneralKey, kSyncValue);
        }
    }
    static void Set(const std::wstring& folder) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kGeneralKey, kSyncValue, REG_SZ, folder.c_str(),
                          static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }

private:
    bool m_had = false;
    DWORD m_type = 0;
    std::vector<BYTE> m_bytes;
};

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    raii::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring NewFolder(const std::wstring& path) {
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    raii::UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            ::DeleteFileW(path.c_str());
        }
    } while (::FindNextFileW(find.Get(), &data));
    find.Reset();
    ::RemoveDirectoryW(folder.c_str());
}

void WriteFileList(const std::wstring& path, const std::vector<std::wstring>& files) {
    std::string bytes = "\xFF\xFE";
    for (const auto& file : files) {
        for (wchar_t c : file + L"\r\n") {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>((c >> 8) & 0xFF);
        }
    }
    WriteBytes(path, bytes);
}

struct Figures {
    double executeMs;  // the whole call, dialog waits included
    double bareMs;     // the CopyFileW loop
    double senderMs;   // the folder sender alone, one per file, no dialog or worker
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double TimeExecute(PluginAppBrellix& app, const std::wstring& listPath, const std::wstring& sync) {
    SyncValueKeeper::Set(sync);
    MyGuid job;
    auto start = Clock::now();
    int code = app.ExecuteCall(job, MyFilePath(listPath), false, 0);
    double ms = MsSince(start);
    if (code != 0) std::printf("  (Execute answered %d)\n", code);
    return ms;
}

double TimeBareCopy(const std::vector<std::wstring>& files, const std::vector<std::wstring>& bareNames,
                    const std::wstring& bare) {
    auto start = Clock::now();
    for (size_t i = 0; i < files.size(); ++i) {
        std::wstring target = bare + L"\\" + bareNames[i];
        if (!::CopyFileW(files[i].c_str(), target.c_str(), TRUE)) {
            std::printf("  (bare copy failed: %lu)\n", ::GetLastError());
        }
    }
    return MsSince(start);
}

// The file-system share of a batch: each file through its own folder sender, as the worker
// does it, without the dialog, the worker thread or the file manager's messages.
double TimeSenderLoop(const std::vector<std::wstring>& files, const std::wstring& folder) {
    auto start = Clock::now();
    for (const auto& file : files) {
        PluginSend2Folder sender;
        sender.SetFolder(MyFolderPath(folder));
        int status = sender.Send(MyFilePath(file), false);
        if (status != send_status::kSaved && status != send_status::kSavedUnderNewName) {
            std::printf("  (sender answered %d)\n", status);
        }
    }
    return MsSince(start);
}

// Rounds of one batch through Execute into a fresh sync folder and the bare loop into another
// fresh folder, in alternating order so that neither always meets the warmer cache; medians.
Figures RunBatch(PluginAppBrellix& app, const std::wstring& runFolder, const std::wstring& label,
                 const std::vector<std::wstring>& files, const std::vector<std::wstring>& bareNames, int rounds) {
    std::wstring listPath = runFolder + L"\\" + label + L"-list.txt";
    WriteFileList(listPath, files);
    std::vector<double> executeMs, bareMs, senderMs;
    for (int round = 0; round < rounds; ++round) {
        std::wstring suffix = L"-" + std::to_wstring(round);
        std::wstring sync = NewFolder(runFolder + L"\\" + label + L"-execute" + suffix);
        std::wstring bare = NewFolder(runFolder + L"\\" + label + L"-bare" + suffix);
        if (round % 2 == 0) {
            executeMs.push_back(TimeExecute(app, listPath, sync));
            bareMs.push_back(TimeBareCopy(files, bareNames, bare));
        } else {
            bareMs.push_back(TimeBareCopy(files, bareNames, bare));
            executeMs.push_back(TimeExecute(app, listPath, sync));
        }
        RemoveTree(sync);
        RemoveTree(bare);
        std::wstring senderFolder = NewFolder(runFolder + L"\\" + label + L"-sender" + suffix);
        senderMs.push_back(TimeSenderLoop(files, senderFolder));
        RemoveTree(senderFolder);
    }
    return {Median(executeMs), Median(bareMs), Median(senderMs)};
}

std::vector<std::wstring> MakeFiles(const std::wstring& folder, int count, size_t size, bool sameName,
                                    std::vector<std::wstring>& bareNames) {
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131) & 0xFF);
    std::vector<std::wstring> files;
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        if (sameName) {
            std::swprintf(name, 64, L"%04d", i);
            std::wstring sub = NewFolder(folder + L"\\" + name);
            files.push_back(sub + L"\\scan.pdf");
            if (i == 0) {
                bareNames.push_back(L"scan.pdf");
            } else {
                std::swprintf(name, 64, L"scan_%03d.pdf", i);
                bareNames.push_back(name);
            }
        } else {
            std::swprintf(name, 64, L"scan%04d.pdf", i);
            files.push_back(folder + L"\\" + name);
            bareNames.push_back(name);
        }
        WriteBytes(files.back(), content);
    }
    return files;
}

void Report(const wchar_t* label, int count, const Figures& f) {
    double net = f.executeMs - kFixedWaitMs;
    std::printf("%-28ls | %5d | %10.1f | %8.1f | %8.1f | %5.2f | %8.3f | %9.1f | %8.3f\n", label, count,
                f.executeMs, net, f.bareMs, f.bareMs > 0 ? net / f.bareMs : 0.0, (net - f.bareMs) / count,
                f.senderMs, (f.senderMs - f.bareMs) / count);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    raii::ComApartment apartment;
    // The plug-in's trace (when the log library is installed) shows where a call's time goes.
    if (TheLog().Load(L"orvinfolog.dll") == 0) TheLog().CreateInfoHandle(::GetModuleHandleW(nullptr));
    // The run's own folder, inside the given one or the temporary folder; removed at the end.
    std::wstring parent;
    if (argc > 1) {
        parent = argv[1];
    } else {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        parent = temp;
    }
    if (!parent.empty() && parent.back() == L'\\') parent.pop_back();
    std::wstring root = parent + L"\\bench_execute_" + std::to_wstring(::GetCurrentProcessId());
    NewFolder(root);
    SyncValueKeeper keeper;
    std::wstring settings = NewFolder(root + L"\\settings");
    // No rename warning: it would wait for OK in the numbered-name runs.
    PluginWriterXMLBrellix(MyGuid(), settings).WriteParam(L"ShowRenames", false, 0) == 0 ||
        std::printf("  (ShowRenames could not be written)\n");
    PluginAppBrellix app(settings);

    std::printf("Execute against a bare CopyFileW loop over the same files (folder %ls)\n", root.c_str());
    std::printf("fixed dialog waits per call: %.0f ms (500 before the batch, 100 after), shown apart\n\n",
                kFixedWaitMs);
    std::printf("%-28ls | files | execute ms | - waits  | bare ms  | ratio | extra ms/file | sender ms | "
                "sender extra ms/file\n", L"batch");
    std::printf("-----------------------------|-------|------------|----------|----------|-------|---------------|"
                "-----------|---------------------\n");

    struct Case {
        const wchar_t* label;
        const wchar_t* folder;
        int count;
        size_t size;
        bool sameName;
    };
    const Case cases[] = {
        // One file first: the call's fixed cost beyond the waits (and the first dialog's start-up).
        {L"one 64 KB file", L"one", 1, 64u << 10, false},
        {L"one 64 KB file, again", L"one2", 1, 64u << 10, false},
        {L"(a) 64 KB files", L"a", 2000, 64u << 10, false},
        {L"(b) 64 MB files", L"b", 8, 64u << 20, false},
        {L"(c) scan.pdf x100", L"c100", 100, 64u << 10, true},
        {L"(c) scan.pdf x200", L"c200", 200, 64u << 10, true},
        {L"(c) scan.pdf x300", L"c300", 300, 64u << 10, true},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> bareNames;
        std::wstring source = NewFolder(root + L"\\" + c.folder + L"-source");
        std::vector<std::wstring> files = MakeFiles(source, c.count, c.size, c.sameName, bareNames);
        Report(c.label, c.count, RunBatch(app, root, c.folder, files, bareNames, kRounds));
        // Each case's files go before the next case, so that the disk holds one case at a time.
        RemoveTree(source);
    }
    std::printf("\n'- waits' is the call's time less the fixed waits; ratio = that / bare; extra ms/file = "
                "(that - bare) / files;\nsender ms: the folder sender alone over the same files (no dialog, no worker thread); "
                "sender extra ms/file = (sender - bare) / files.\nMedians of %d rounds, Execute and the bare loop taking turns to go first.\n", kRounds);
    RemoveTree(root);
    return 0;
}
