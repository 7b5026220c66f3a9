// Prints, for settings files of 10, 1,000 and 10,000 job records, the time one parameter read,
// one parameter write and one record deletion take (each loads, and the write and deletion
// save, the whole file), and the process's peak working set.
//   bench_settings.exe [folder]   (default: a new folder under the temporary folder)
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/MyPath.h"
#include "support/Raii.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

MyGuid JobId(int index) {
    GUID guid = {0x5e771000u + static_cast<unsigned long>(index), 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
    return MyGuid(guid);
}

// Writes a settings file with the given number of job records straight to disk.
void MakeFile(const std::wstring& path, int records) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Objects><CommonSetting><ShowRenames>1"
                       "</ShowRenames></CommonSetting>";
    for (int i = 0; i < records; ++i) {
        std::wstring id = JobId(i).ToString(1);
        text += "<Setting ID=\"" + std::string(id.begin(), id.end()) +
                "\" LastUpdate=\"2026/01/02 03:04:05\"><Destination>C:\\Users\\scan\\Brellix\\Scans\\Job" +
                std::to_string(i) + "</Destination><ShowLink>1</ShowLink></Setting>";
    }
    text += "</Objects>\r\n";
    raii::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

template <typename Action>
double MedianMilliseconds(int repeats, Action action) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        action(i);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    raii::ComApartment apartment;
    std::wstring base;
    if (argc > 1) {
        base = argv[1];
    } else {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        base = std::wstring(temp) + L"bench_settings_" + std::to_wstring(::GetCurrentProcessId());
    }
    MyFilePath path(L"");
    PluginSettingFileBrellix(base).GetFilePath(path);
    if (MyFolderPath(path.GetFolder()).CreateRecursive() != 0) {
        std::printf("cannot create %ls\n", path.GetFolder().c_str());
        return 1;
    }

    std::printf("records | file size | read ms | write ms | delete ms | peak working set MB\n");
    std::printf("--------|-----------|---------|----------|-----------|--------------------\n");
    for (int records : {10, 1000, 10000}) {
        MakeFile(path.GetPath(), records);
        const int repeats = 5;
        const int last = records - 1;  // the record found last, the worst case of the search
        int failures = 0;
        double readMs = MedianMilliseconds(repeats, [&](int) {
            std::wstring value;
            failures += PluginReaderXMLBrellix(JobId(last), base).ReadParam(&value, L"Destination", 1) != 0;
        });
        double writeMs = MedianMilliseconds(repeats, [&](int i) {
            failures += PluginWriterXMLBrellix(JobId(last), base).WriteParam(L"ShowLink", i % 2 == 0, 1) != 0;
        });
        double deleteMs = MedianMilliseconds(repeats, [&](int i) {
            failures += PluginWriterXMLBrellix(JobId(last - i), base).DeleteRecord() != 0;
        });
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        ::GetFileAttributesExW(path.GetPath().c_str(), GetFileExInfoStandard, &attributes);
        std::printf("%7d | %6lu KB | %7.1f | %8.1f | %9.1f | %.1f%s\n", records, attributes.nFileSizeLow / 1024,
                    readMs, writeMs, deleteMs, PeakMegabytes(), failures ? "  (calls failed!)" : "");
        std::fflush(stdout);
    }
    ::DeleteFileW(path.GetPath().c_str());
    ::RemoveDirectoryW(path.GetFolder().c_str());
    ::RemoveDirectoryW((base + L"\\Orvane").c_str());
    if (argc <= 1) ::RemoveDirectoryW(base.c_str());
    return 0;
}
