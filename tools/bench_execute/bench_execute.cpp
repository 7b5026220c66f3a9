// Times real batches through the Execute call of the application object (progress dialog,
// worker thread, file manager, folder senders, settings file) and, in the same run, a bare
// loop of CopyFileW over the same files into a fresh folder, and prints the ratio:
//   (a) 2,000 files of 64 KB, (b) 8 files of 64 MB,
//   (c) 100, 200 and 300 files all named scan.pdf into one folder (the numbered-name search),
//   (d) 100 files named scan.pdf into a folder already holding scan.pdf and 2,000 numbered
//   ones, beside 100 files of fresh names into an empty folder;
// and, for (a) and (b), the folder sender moving the files against copying them.
// The dialog's fixed waits (500 ms before the batch, 100 ms after it) are reported apart.
// The cloud client's sync-folder value is pointed at the run's folders and put back at the end;
// the settings file lies in the run's folder.
//   bench_execute.exe [folder|- [batches]]   (the run's files go into a new sub-folder of folder,
//   default or "-" the temporary folder, removed at the end; batches: keys such as a,b,c100,d0,d)
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
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr wchar_t kGeneralKey[] = L"Software\\Quontel\\Brellix\\General";
constexpr wchar_t kSyncValue[] = L"DefaultSyncFolderPath";
constexpr int kRounds = 5;  // medians of this many rounds
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

// Forces a written file's data to the disk, so that writing back one timed part's data does
// not fall into the next timed part.
void FlushFile(const std::wstring& path) {
    raii::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (file) ::FlushFileBuffers(file.Get());
}

void FlushFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    raii::UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) FlushFile(folder + L"\\" + data.cFileName);
    } while (::FindNextFileW(find.Get(), &data));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One batch: its source files, the names the bare loop gives them, and what its target
// folders hold before each timed part.
struct Batch {
    std::wstring label;
    std::wstring key;
    std::vector<std::wstring> files;
    std::vector<std::wstring> bareNames;
    int existingNumbered = 0;  // scan_001.pdf ... scan_NNN.pdf already in the target folder
    bool large = false;        // flush the written data outside the timed parts
    bool withMove = false;     // time the folder sender moving the files as well
    bool renames = false;      // files saved under new names: the dialog skips its close wait
    // The dialog's fixed waits in this batch's calls: a batch with renamed files ends with the
    // rename warning (off here) instead of the close wait.
    double WaitsMs() const { return renames ? PluginProgressDialog::kStartDelayMs : kFixedWaitMs; }
};

// A fresh target folder for one timed part, already holding the batch's existing files.
std::wstring PrepareTarget(const std::wstring& path, const Batch& batch) {
    NewFolder(path);
    if (batch.existingNumbered > 0) WriteBytes(path + L"\\scan.pdf", "old");
    for (int n = 1; n <= batch.existingNumbered; ++n) {
        wchar_t name[32];
        std::swprintf(name, 32, L"\\scan_%03d.pdf", n);
        WriteBytes(path + name, "old");
    }
    return path;
}

void EndTarget(const std::wstring& path, const Batch& batch) {
    if (batch.large) FlushFolder(path);
    RemoveTree(path);
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
double TimeSenderLoop(const std::vector<std::wstring>& files, const std::wstring& folder, bool move) {
    auto start = Clock::now();
    for (const auto& file : files) {
        PluginSend2Folder sender;
        sender.SetFolder(MyFolderPath(folder));
        int status = sender.Send(MyFilePath(file), move);
        if (status != send_status::kSaved && status != send_status::kSavedUnderNewName) {
            std::printf("  (sender answered %d)\n", status);
        }
    }
    return MsSince(start);
}

enum Part { kExecute, kBare, kSenderCopy, kSenderMove, kPartCount };
const char* const kPartNames[kPartCount] = {"execute", "bare copy", "sender copy", "sender move"};

struct Figures {
    std::vector<double> rounds[kPartCount];  // ms of each round, in round order
    double Of(Part part) const { return rounds[part].empty() ? 0.0 : Median(rounds[part]); }
};

// Rounds of one batch; in each round every part runs once into fresh folders, the order
// turning by one part per round so that no part always meets the warmest cache.
Figures RunBatch(PluginAppBrellix& app, const std::wstring& runFolder, const Batch& batch, int rounds) {
    std::wstring listPath = runFolder + L"\\" + batch.key + L"-list.txt";
    WriteFileList(listPath, batch.files);
    std::vector<Part> parts{kExecute, kBare, kSenderCopy};
    if (batch.withMove) parts.push_back(kSenderMove);
    Figures figures;
    for (int round = 0; round < rounds; ++round) {
        for (size_t step = 0; step < parts.size(); ++step) {
            Part part = parts[(step + round) % parts.size()];
            std::wstring target = PrepareTarget(
                runFolder + L"\\" + batch.key + L"-" + std::to_wstring(part) + L"-" + std::to_wstring(round), batch);
            double ms = 0;
            if (part == kExecute) {
                ms = TimeExecute(app, listPath, target);
            } else if (part == kBare) {
                ms = TimeBareCopy(batch.files, batch.bareNames, target);
            } else if (part == kSenderCopy) {
                ms = TimeSenderLoop(batch.files, target, false);
            } else {
                // The move takes copies of the sources, made and flushed before the timed part.
                std::wstring sources = NewFolder(target + L"-sources");
                std::vector<std::wstring> copies;
                for (size_t i = 0; i < batch.files.size(); ++i) {
                    copies.push_back(sources + L"\\" + std::to_wstring(i) + L"-" + batch.bareNames[i]);
                    ::CopyFileW(batch.files[i].c_str(), copies.back().c_str(), FALSE);
                    if (batch.large) FlushFile(copies.back());
                }
                ms = TimeSenderLoop(copies, target, true);
                RemoveTree(sources);
            }
            figures.rounds[part].push_back(ms);
            EndTarget(target, batch);
        }
    }
    return figures;
}

Batch MakeBatch(const std::wstring& root, const wchar_t* label, const wchar_t* key, int count, size_t size,
                bool sameName) {
    Batch batch;
    batch.label = label;
    batch.key = key;
    std::wstring folder = NewFolder(root + L"\\" + key + L"-source");
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131) & 0xFF);
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        if (sameName) {
            std::swprintf(name, 64, L"%04d", i);
            std::wstring sub = NewFolder(folder + L"\\" + name);
            batch.files.push_back(sub + L"\\scan.pdf");
            if (i == 0) {
                batch.bareNames.push_back(L"scan.pdf");
            } else {
                std::swprintf(name, 64, L"scan_%03d.pdf", i);
                batch.bareNames.push_back(name);
            }
        } else {
            std::swprintf(name, 64, L"scan%04d.pdf", i);
            batch.files.push_back(folder + L"\\" + name);
            batch.bareNames.push_back(name);
        }
        WriteBytes(batch.files.back(), content);
        if (size >= (1u << 20)) FlushFile(batch.files.back());
    }
    batch.large = size >= (1u << 20);
    return batch;
}

void Report(const Batch& batch, const Figures& f) {
    int count = static_cast<int>(batch.files.size());
    double execute = f.Of(kExecute), bare = f.Of(kBare), sender = f.Of(kSenderCopy);
    double net = execute - batch.WaitsMs();
    std::printf("%-34ls | %5d | %8.1f | %8.1f | %8.1f | %5.2f | %8.3f | %8.1f | %8.3f", batch.label.c_str(), count,
                execute, net, bare, bare > 0 ? net / bare : 0.0, (net - bare) / count, sender,
                (sender - bare) / count);
    if (!f.rounds[kSenderMove].empty()) {
        double move = f.Of(kSenderMove);
        std::printf(" | %8.1f | %5.2f", move, sender > 0 ? move / sender : 0.0);
    }
    std::printf("\n");
    std::fflush(stdout);
}

void ReportRounds(const Batch& batch, const Figures& f) {
    std::printf("\n%ls, every round (ms):\n", batch.label.c_str());
    for (int part = 0; part < kPartCount; ++part) {
        const std::vector<double>& values = f.rounds[part];
        if (values.empty()) continue;
        double median = Median(values);
        double low = *std::min_element(values.begin(), values.end());
        double high = *std::max_element(values.begin(), values.end());
        std::printf("  %-12s", kPartNames[part]);
        for (double value : values) std::printf(" %8.1f", value);
        std::printf("  | median %8.1f, spread (max-min)/median %5.1f%%\n", median,
                    median > 0 ? 100.0 * (high - low) / median : 0.0);
    }
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    raii::ComApartment apartment;
    // The plug-in's trace (when the log library is installed) shows where a call's time goes.
    if (TheLog().Load(L"orvinfolog.dll") == 0) TheLog().CreateInfoHandle(::GetModuleHandleW(nullptr));
    // The run's own folder, inside the given one or the temporary folder; removed at the end.
    std::wstring parent;
    // A second argument names the batches to run, by key, separated by commas (e.g. "a,d0,d").
    std::wstring only = argc > 2 ? L"," + std::wstring(argv[2]) + L"," : std::wstring();
    if (argc > 1 && argv[1][0] != L'\0' && std::wstring(argv[1]) != L"-") {
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
    std::printf("%-34s | files | execute  | - waits  | bare     | ratio | extra/f  | sender   | snd x/f  | move     | "
                "move/copy\n", "batch");
    std::printf("-----------------------------------|-------|----------|----------|----------|-------|----------|"
                "----------|----------|----------|----------\n");

    struct Case {
        const wchar_t* label;
        const wchar_t* key;
        int count;
        size_t size;
        bool sameName;
        int existingNumbered;
        bool withMove;
    };
    const Case cases[] = {
        // One file first: the call's fixed cost beyond the waits (and the first dialog's start-up).
        {L"one 64 KB file", L"one", 1, 64u << 10, false, 0, false},
        {L"one 64 KB file, again", L"one2", 1, 64u << 10, false, 0, false},
        {L"(a) 64 KB files", L"a", 2000, 64u << 10, false, 0, true},
        {L"(b) 64 MB files", L"b", 8, 64u << 20, false, 0, true},
        {L"(c) scan.pdf x100", L"c100", 100, 64u << 10, true, 0, false},
        {L"(c) scan.pdf x200", L"c200", 200, 64u << 10, true, 0, false},
        {L"(c) scan.pdf x300", L"c300", 300, 64u << 10, true, 0, false},
        {L"(d) 100 fresh names", L"d0", 100, 64u << 10, false, 0, false},
        {L"(d) scan.pdf x100 by 2,000 numbered", L"d", 100, 64u << 10, true, 2000, false},
    };
    std::vector<std::pair<Batch, Figures>> results;
    for (const Case& c : cases) {
        if (!only.empty() && only.find(L"," + std::wstring(c.key) + L",") == std::wstring::npos) continue;
        Batch batch = MakeBatch(root, c.label, c.key, c.count, c.size, c.sameName);
        batch.existingNumbered = c.existingNumbered;
        batch.withMove = c.withMove;
        batch.renames = c.sameName;
        if (c.existingNumbered > 0) {
            // The bare loop writes the names the batch gets after the existing ones.
            for (int i = 0; i < c.count; ++i) {
                wchar_t name[32];
                std::swprintf(name, 32, L"scan_%03d.pdf", c.existingNumbered + 1 + i);
                batch.bareNames[static_cast<size_t>(i)] = name;
            }
        }
        Figures figures = RunBatch(app, root, batch, kRounds);
        Report(batch, figures);
        // Each case's files go before the next case, so that the disk holds one case at a time.
        RemoveTree(root + L"\\" + c.key + L"-source");
        results.emplace_back(std::move(batch), std::move(figures));
    }
    std::printf("\nexecute: the call in ms; '- waits': less the fixed waits (500 ms only in batches with renamed files, "
                "whose dialog ends with the rename warning, off here); ratio = that / bare; extra/f = (that - "
                "bare) / files;\nsender: the folder sender alone copying the same files (no dialog, no worker "
                "thread); snd x/f = (sender - bare) / files;\nmove: the folder sender moving them (flush and "
                "write-through rename before each source is deleted); move/copy = move / sender.\n"
                "Medians of %d rounds; in each round every part runs once into fresh folders, the order turning "
                "by one part per round;\nthe 64 MB files' data is flushed to the disk outside the timed parts.\n",
                kRounds);
    for (const auto& result : results) {
        if (result.first.large) ReportRounds(result.first, result.second);
    }
    auto extraPerFile = [&](const wchar_t* key) {
        for (const auto& result : results) {
            if (result.first.key == key) {
                return (result.second.Of(kExecute) - result.first.WaitsMs() - result.second.Of(kBare)) /
                       static_cast<double>(result.first.files.size());
            }
        }
        return 0.0;
    };
    auto netOf = [&](const wchar_t* key) {
        for (const auto& result : results) {
            if (result.first.key == key) return result.second.Of(kExecute) - result.first.WaitsMs();
        }
        return 0.0;
    };
    auto ratioOf = [&](const wchar_t* key) {
        for (const auto& result : results) {
            if (result.first.key == key) {
                return (result.second.Of(kExecute) - result.first.WaitsMs()) / result.second.Of(kBare);
            }
        }
        return 0.0;
    };
    std::printf("\ngoals:\n");
    std::printf("  (a) extra ms per file beyond the bare copy: %.3f (goal <= 0.5)\n", extraPerFile(L"a"));
    std::printf("  (b) call less waits / bare copy: %.2f (goal <= 1.10)\n", ratioOf(L"b"));
    std::printf("  (c) extra ms per file, x300 / x100: %.3f / %.3f = %.2f (goal <= 1.25)\n", extraPerFile(L"c300"),
                extraPerFile(L"c100"), extraPerFile(L"c300") / extraPerFile(L"c100"));
    std::printf("  (d) by 2,000 numbered / fresh names, call less waits: %.1f / %.1f = %.2f (goal <= 2)\n",
                netOf(L"d"), netOf(L"d0"), netOf(L"d") / netOf(L"d0"));
    RemoveTree(root);
    return 0;
}
