// plrhost: plays the scanning host's part on the command line. It registers the host's type
// library PLRPluginIF (PLRPluginIF.tlb beside the program), creates "PluginForBrellix.Main"
// through COM, owns a top-level window whose handle it passes as hWindow, and makes one host
// call per subcommand, printing the HRESULT, pRetVal and the out-values. Several subcommands
// may follow each other; they run in order on one object.
//
// The subcommands and their arguments are listed in kSubcommands (and by "plrhost --help").
// Job IDs are braced GUID texts; "execute" without one uses the job that an earlier
// create-id of the same run made.
//
// With PLRHOST_DIALOG_TIMEOUT=<seconds> in the environment (scripts/main-job.sh sets it when the
// dialogs show on an Xvfb nobody sees) a watchdog reports every dialog of the process that
// stays unchanged for a few seconds: its texts, and a screenshot into PLRHOST_SCREENSHOTS (a
// Linux folder). A dialog still unchanged after the time-out is closed as Cancel or Abort
// would close it, so that the run ends by itself.
#include "support/Raii.h"

#include "PLRPluginIF.h"

#include <shellapi.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Subcommand {
    const wchar_t* name;
    const wchar_t* arguments;
    const wchar_t* call;
};

const Subcommand kSubcommands[] = {
    {L"identity", L"", L"get_Name, get_Title, get_Description, get_Version, get_Icon"},
    {L"flags", L"", L"the six get_Show.../get_IsExecutable flags"},
    {L"connect", L"", L"Connect"},
    {L"disconnect", L"", L"Disconnect"},
    {L"set-language", L"<langid>", L"SetLanguageID (decimal or 0x hex, e.g. 1041)"},
    {L"create-id", L"", L"CreateID; later subcommands may use the new job"},
    {L"delete-id", L"<job>", L"DeleteID"},
    {L"copy-id", L"<job>", L"CopyID"},
    {L"show-setting", L"<job>", L"ShowSetting (the folder picker)"},
    {L"common-setting", L"", L"ShowCommonSetting"},
    {L"summary", L"<job>", L"SettingsSummary"},
    {L"link-state", L"<job>", L"ShowLinkButton"},
    {L"link-label", L"<job>", L"LinkLabel"},
    {L"open-link", L"<job>", L"ClickedLinkButton"},
    {L"execute", L"<filelist> <delete 0|1> [<job>]", L"Execute (without <job>: the job of an earlier create-id)"},
    {L"export", L"<folder>", L"Export"},
    {L"import", L"<folder>", L"Import"},
};

const Subcommand* FindSubcommand(const std::wstring& name) {
    for (const Subcommand& entry : kSubcommands) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

void PrintLine(const std::wstring& line) {
    std::wstring text = line + L"\n";
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);  // a killed run keeps every line it printed
}

void PrintUsage() {
    PrintLine(L"usage: plrhost <subcommand> [arguments] [<subcommand> [arguments] ...]");
    PrintLine(L"subcommands, run in order on one plug-in object:");
    for (const Subcommand& entry : kSubcommands) {
        std::wstring left = std::wstring(L"  ") + entry.name + (*entry.arguments ? L" " : L"") + entry.arguments;
        if (left.size() < 44) left.resize(44, L' ');
        PrintLine(left + L" " + entry.call);
    }
    PrintLine(L"<job> is a braced GUID such as {01234567-89AB-CDEF-0123-456789ABCDEF}.");
    PrintLine(L"Each call prints hr=<HRESULT> pRetVal=<the plug-in's result code>; exit code 0 when every call");
    PrintLine(L"succeeded, 1 when one failed, 2 for a usage error.");
}

void UsageError(const std::wstring& command) {
    const Subcommand* known = FindSubcommand(command);
    if (!known) {
        PrintLine(L"usage error: unknown subcommand \"" + command + L"\"");
    } else {
        PrintLine(L"usage error: \"" + command + L"\" expects " + known->arguments);
    }
    PrintUsage();
}

// The arguments a subcommand cannot do without: the <...> before any [...].
size_t RequiredArguments(const Subcommand& subcommand) {
    std::wstring arguments = subcommand.arguments;
    size_t count = 0;
    for (size_t at = 0; at < arguments.size() && arguments[at] != L'['; ++at) {
        if (arguments[at] == L'<') ++count;
    }
    return count;
}

// The whole command line checked before the first call, so that a mistake further on does not
// leave half of the calls made.
bool CheckArguments(const std::vector<std::wstring>& args) {
    size_t i = 0;
    while (i < args.size()) {
        const std::wstring& command = args[i++];
        const Subcommand* known = FindSubcommand(command);
        size_t required = known ? RequiredArguments(*known) : 0;
        if (!known || args.size() - i < required) {
            UsageError(command);
            return false;
        }
        if (std::wstring(known->arguments) == L"<job>") {
            GUID id = {};
            if (FAILED(::IIDFromString(args[i].c_str(), &id))) {
                PrintLine(L"usage error: \"" + command + L"\" expects <job>, a braced GUID, not \"" + args[i] + L"\"");
                PrintUsage();
                return false;
            }
        }
        i += required;
        if (command == L"execute" && i < args.size() && !args[i].empty() && args[i][0] == L'{') ++i;
    }
    return true;
}

std::wstring Hex(unsigned long value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", value);
    return text;
}

std::wstring Result(HRESULT hr) { return L"hr=" + Hex(static_cast<unsigned long>(hr)); }
std::wstring RetVal(LONG value) {
    return L" pRetVal=" + Hex(static_cast<unsigned long>(value)) + L" (" + std::to_wstring(value) + L")";
}
std::wstring Flag(VARIANT_BOOL value) { return std::to_wstring(static_cast<int>(value)); }

std::wstring GuidText(const GUID& guid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return text;
}

std::wstring BstrText(BSTR text) { return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring(); }

raii::UniqueBstr NewBstr(const std::wstring& text) {
    return raii::UniqueBstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::wstring ProgramFolder() {
    std::vector<wchar_t> buffer(32768);
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    return path.substr(0, path.find_last_of(L'\\'));
}

HRESULT RegisterHostTypeLibrary() {
    std::wstring path = ProgramFolder() + L"\\PLRPluginIF.tlb";
    raii::ComPtr<ITypeLib> library;
    return ::LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, library.Put());
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

raii::UniqueWindow CreateHostWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PlrHostWindow";
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"plrhost", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 480, 320, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window) ::ShowWindow(window, SW_SHOWNORMAL);
    return raii::UniqueWindow(window);
}

// Reports and, after a time-out, closes dialogs that wait on a display nobody sees (see the top
// of this file). A dialog counts as waiting while its texts stay the same: a progress dialog
// that counts its files is working.
class DialogWatchdog {
public:
    DialogWatchdog() {
        wchar_t value[32] = {};
        if (!::GetEnvironmentVariableW(L"PLRHOST_DIALOG_TIMEOUT", value, 32)) return;
        m_timeoutMs = std::wcstoul(value, nullptr, 10) * 1000;
        if (m_timeoutMs == 0) return;
        wchar_t folder[1024] = {};
        if (::GetEnvironmentVariableW(L"PLRHOST_SCREENSHOTS", folder, 1024)) m_screenshots = folder;
        m_thread = std::thread([this] { Watch(); });
    }
    ~DialogWatchdog() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    DialogWatchdog(const DialogWatchdog&) = delete;
    DialogWatchdog& operator=(const DialogWatchdog&) = delete;

private:
    static constexpr DWORD kPollMs = 250;
    static constexpr DWORD kReportAfterMs = 3000;

    struct Seen {
        std::wstring texts;
        DWORD since = 0;
        bool reported = false;
        bool closed = false;
    };

    static BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && ::IsWindowEnabled(window) &&
            std::wstring(className) == L"#32770") {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        }
        return TRUE;
    }

    static std::wstring WindowText(HWND window) {
        wchar_t text[2048] = {};
        // Bounded: a window whose thread hangs must not hang the watchdog.
        DWORD_PTR length = 0;
        if (!::SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000,
                                   &length)) {
            return std::wstring();
        }
        return std::wstring(text);
    }

    static BOOL CALLBACK CollectText(HWND child, LPARAM texts) {
        std::wstring text = WindowText(child);
        if (!text.empty() && ::IsWindowVisible(child)) *reinterpret_cast<std::wstring*>(texts) += L"\n  | " + text;
        return TRUE;
    }

    static std::wstring DialogTexts(HWND dialog) {
        std::wstring texts = L"\"" + WindowText(dialog) + L"\"";
        ::EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&texts));
        return texts;
    }

    // Cancel where the dialog has it, else Abort (the error dialog's, or a message box's), else
    // No, else OK: the answer that stops the batch.
    static void CloseAsCancel(HWND dialog) {
        const int kErrorDialogAbort = 1006;
        for (int id : {IDCANCEL, kErrorDialogAbort, IDABORT, IDNO, IDOK}) {
            HWND button = ::GetDlgItem(dialog, id);
            if (button && ::IsWindowEnabled(button)) {
                ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
                return;
            }
        }
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }

    // The Xvfb screen into a PNG file; its path, or why there is none. The picture is written
    // under a temporary name and renamed when complete: Wine gives no handle to wait on for a
    // Linux process, so the final name is what is waited for.
    std::wstring Screenshot(unsigned number) {
        if (m_screenshots.empty()) return L"(none: PLRHOST_SCREENSHOTS is not set)";
        std::wstring file = m_screenshots + L"/plrhost-dialog-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(number) + L".png";
        std::wstring command = L"Z:\\bin\\sh -c \"mkdir -p '" + m_screenshots + L"' && xwd -root -silent | convert xwd:- '" +
                               file + L".part.png' && mv '" + file + L".part.png' '" + file + L"'\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                              &startup, &process)) {
            return L"(none: error " + std::to_wstring(::GetLastError()) + L")";
        }
        if (process.hThread) ::CloseHandle(process.hThread);
        if (process.hProcess) ::CloseHandle(process.hProcess);
        std::wstring windowsFile = L"Z:" + file;  // the Linux path seen through Wine's drive Z:
        for (wchar_t& c : windowsFile) {
            if (c == L'/') c = L'\\';
        }
        constexpr DWORD kScreenshotTimeoutMs = 30000;
        DWORD start = ::GetTickCount();
        while (::GetFileAttributesW(windowsFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (m_stop || ::GetTickCount() - start > kScreenshotTimeoutMs) return L"(none could be made)";
            ::Sleep(kPollMs);
        }
        return file;
    }

    void Watch() {
        std::map<HWND, Seen> seen;
        unsigned reports = 0;
        while (!m_stop) {
            ::Sleep(kPollMs);
            std::vector<HWND> dialogs;
            ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
            DWORD now = ::GetTickCount();
            std::map<HWND, Seen> current;
            for (HWND dialog : dialogs) {
                Seen entry = seen.count(dialog) ? seen[dialog] : Seen{};
                std::wstring texts = DialogTexts(dialog);
                if (entry.since == 0 || texts != entry.texts) entry = Seen{texts, now, false, false};
                DWORD waited = now - entry.since;
                // Reported before it is closed, also with a time-out shorter than the usual wait.
                if (!entry.reported && waited >= std::min<DWORD>(kReportAfterMs, m_timeoutMs)) {
                    entry.reported = true;
                    PrintLine(L"plrhost: a dialog waits on a display nobody sees: " + texts);
                    PrintLine(L"plrhost: screenshot " + Screenshot(++reports));
                    PrintLine(L"plrhost: it is closed as Cancel/Abort would close it unless it changes within " +
                              std::to_wstring(m_timeoutMs / 1000) + L" s");
                }
                if (!entry.closed && waited >= m_timeoutMs) {
                    entry.closed = true;
                    PrintLine(L"plrhost: time-out: closing \"" + WindowText(dialog) + L"\" as Cancel/Abort");
                    CloseAsCancel(dialog);
                }
                current[dialog] = entry;
            }
            seen.swap(current);
        }
    }

    DWORD m_timeoutMs = 0;
    std::wstring m_screenshots;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class Host {
public:
    Host(raii::ComPtr<IPLRPlugin2> plugin, HWND window)
        : m_plugin(std::move(plugin)), m_window(static_cast<LONG>(reinterpret_cast<LONG_PTR>(window))) {}

    // Runs the subcommands in order; false for a usage error.
    bool Run(const std::vector<std::wstring>& args) {
        size_t i = 0;
        auto next = [&](std::wstring& value) {
            if (i >= args.size()) return false;
            value = args[i++];
            return true;
        };
        while (i < args.size()) {
            std::wstring command = args[i++];
            std::wstring a, b;
            GUID id = {};
            if (command == L"identity") {
                Identity();
            } else if (command == L"flags") {
                Flags();
            } else if (command == L"connect") {
                LONG r = 0;
                HRESULT hr = m_plugin->Connect(&r);
                Report(L"Connect", hr, r);
            } else if (command == L"disconnect") {
                LONG r = 0;
                HRESULT hr = m_plugin->Disconnect(&r);
                Report(L"Disconnect", hr, r);
            } else if (command == L"set-language" && next(a)) {
                LONG r = 0;
                HRESULT hr = m_plugin->SetLanguageID(static_cast<unsigned short>(std::wcstoul(a.c_str(), nullptr, 0)), &r);
                Report(L"SetLanguageID", hr, r);
            } else if (command == L"create-id") {
                CreateId();
            } else if (command == L"delete-id" && NextId(next, id)) {
                LONG r = 0;
                HRESULT hr = m_plugin->DeleteID(id, &r);
                Report(L"DeleteID", hr, r);
            } else if (command == L"copy-id" && NextId(next, id)) {
                GUID copy = {};
                LONG r = 0;
                HRESULT hr = m_plugin->CopyID(id, &copy, &r);
                Report(L"CopyID", hr, r, L" dstid=" + GuidText(copy));
            } else if (command == L"show-setting" && NextId(next, id)) {
                LONG r = 0;
                HRESULT hr = m_plugin->ShowSetting(id, m_window, &r);
                Report(L"ShowSetting", hr, r);
            } else if (command == L"common-setting") {
                LONG r = 0;
                HRESULT hr = m_plugin->ShowCommonSetting(m_window, &r);
                Report(L"ShowCommonSetting", hr, r);
            } else if (command == L"summary" && NextId(next, id)) {
                BSTR text = nullptr;
                LONG r = 0;
                HRESULT hr = m_plugin->SettingsSummary(id, &text, &r);
                raii::UniqueBstr owned(text);
                Report(L"SettingsSummary", hr, r, L" Text=" + BstrText(text));
            } else if (command == L"link-state" && NextId(next, id)) {
                VARIANT_BOOL show = VARIANT_FALSE;
                LONG r = 0;
                HRESULT hr = m_plugin->ShowLinkButton(id, &show, &r);
                Report(L"ShowLinkButton", hr, r, L" bShow=" + Flag(show));
            } else if (command == L"link-label" && NextId(next, id)) {
                BSTR text = nullptr;
                LONG r = 0;
                HRESULT hr = m_plugin->LinkLabel(id, &text, &r);
                raii::UniqueBstr owned(text);
                Report(L"LinkLabel", hr, r, L" Text=" + BstrText(text));
            } else if (command == L"open-link" && NextId(next, id)) {
                LONG r = 0;
                HRESULT hr = m_plugin->ClickedLinkButton(id, &r);
                Report(L"ClickedLinkButton", hr, r);
            } else if (command == L"execute" && next(a) && next(b)) {
                Execute(a, b, args, i);
            } else if (command == L"export" && next(a)) {
                LONG r = 0;
                HRESULT hr = m_plugin->Export(NewBstr(a).Get(), &r);
                Report(L"Export", hr, r);
            } else if (command == L"import" && next(a)) {
                LONG r = 0;
                HRESULT hr = m_plugin->Import(NewBstr(a).Get(), &r);
                Report(L"Import", hr, r);
            } else {
                UsageError(command);
                return false;
            }
        }
        return true;
    }

    bool AllSucceeded() const { return m_allSucceeded; }

private:
    template <typename Next>
    bool NextId(Next& next, GUID& id) {
        std::wstring text;
        if (!next(text)) return false;
        // Turning the text into a GUID is the host's business.
        if (FAILED(::IIDFromString(text.c_str(), &id))) {
            PrintLine(L"not a job ID (a braced GUID): " + text);
            return false;
        }
        return true;
    }

    // Callers make the call first and report afterwards: the out-values must be read after
    // the call, which argument evaluation order would not guarantee.
    void Report(const wchar_t* method, HRESULT hr, LONG retVal, const std::wstring& outValues = L"") {
        if (FAILED(hr)) m_allSucceeded = false;
        PrintLine(std::wstring(method) + L": " + Result(hr) + RetVal(retVal) + outValues);
    }

    void Identity() {
        using Getter = HRESULT (STDMETHODCALLTYPE IPLRPlugin2::*)(BSTR*);
        const struct {
            const wchar_t* name;
            Getter getter;
        } getters[] = {{L"Name", &IPLRPlugin2::get_Name},
                       {L"Title", &IPLRPlugin2::get_Title},
                       {L"Description", &IPLRPlugin2::get_Description},
                       {L"Version", &IPLRPlugin2::get_Version},
                       {L"Icon", &IPLRPlugin2::get_Icon}};
        for (const auto& entry : getters) {
            BSTR text = nullptr;
            HRESULT hr = (m_plugin.Get()->*entry.getter)(&text);
            raii::UniqueBstr owned(text);
            if (FAILED(hr)) m_allSucceeded = false;
            PrintLine(std::wstring(L"get_") + entry.name + L": " + Result(hr) + L" " + entry.name + L"=" +
                      BstrText(text));
        }
    }

    void Flags() {
        using Getter = HRESULT (STDMETHODCALLTYPE IPLRPlugin2::*)(VARIANT_BOOL*);
        const struct {
            const wchar_t* name;
            Getter getter;
        } getters[] = {{L"ShowSettingButton", &IPLRPlugin2::get_ShowSettingButton},
                       {L"ShowCommonSettingButton", &IPLRPlugin2::get_ShowCommonSettingButton},
                       {L"IsExecutable", &IPLRPlugin2::get_IsExecutable},
                       {L"ShowSettingsSummary", &IPLRPlugin2::get_ShowSettingsSummary},
                       {L"ShowFileNameSetting", &IPLRPlugin2::get_ShowFileNameSetting},
                       {L"ShowFileTypeSetting", &IPLRPlugin2::get_ShowFileTypeSetting}};
        for (const auto& entry : getters) {
            VARIANT_BOOL value = VARIANT_FALSE;
            HRESULT hr = (m_plugin.Get()->*entry.getter)(&value);
            if (FAILED(hr)) m_allSucceeded = false;
            PrintLine(std::wstring(L"get_") + entry.name + L": " + Result(hr) + L" " + entry.name + L"=" +
                      Flag(value));
        }
    }

    void CreateId() {
        GUID id = {};
        LONG r = 0;
        HRESULT hr = m_plugin->CreateID(&id, &r);
        m_lastCreated = id;
        Report(L"CreateID", hr, r, L" newID=" + GuidText(id));
    }

    void Execute(const std::wstring& fileList, const std::wstring& deleteFlag, const std::vector<std::wstring>& args,
                 size_t& i) {
        GUID id = m_lastCreated;
        if (i < args.size() && !args[i].empty() && args[i][0] == L'{') {
            if (FAILED(::IIDFromString(args[i].c_str(), &id))) PrintLine(L"not a job ID: " + args[i]);
            ++i;
        }
        VARIANT_BOOL fileDelete = deleteFlag == L"1" ? VARIANT_TRUE : VARIANT_FALSE;
        LONG r = 0;
        HRESULT hr = m_plugin->Execute(id, NewBstr(fileList).Get(), fileDelete, m_window, &r);
        Report(L"Execute", hr, r, L" id=" + GuidText(id));
    }

    raii::ComPtr<IPLRPlugin2> m_plugin;
    LONG m_window;
    GUID m_lastCreated = {};
    bool m_allSucceeded = true;
};

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    ::LocalFree(argv);
    if (args.empty()) {
        PrintUsage();
        return 2;
    }
    if (args[0] == L"--help" || args[0] == L"-h" || args[0] == L"/?" || args[0] == L"help") {
        PrintUsage();
        return 0;
    }
    // Every subcommand and its arguments are checked before the plug-in is called.
    if (!CheckArguments(args)) return 2;
    DialogWatchdog watchdog;

    raii::ComApartment apartment;
    HRESULT hr = RegisterHostTypeLibrary();
    if (FAILED(hr)) {
        PrintLine(L"PLRPluginIF registration failed: " + Result(hr));
        return 2;
    }
    raii::UniqueWindow window = CreateHostWindow();
    if (!window) {
        PrintLine(L"no host window: error " + std::to_wstring(::GetLastError()));
        return 2;
    }
    PrintLine(L"hWindow=" + Hex(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window.Get()))));

    CLSID classId = {};
    hr = ::CLSIDFromProgID(L"PluginForBrellix.Main", &classId);
    raii::ComPtr<IPLRPlugin2> plugin;
    if (SUCCEEDED(hr)) {
        hr = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IPLRPlugin2, plugin.PutVoid());
    }
    if (FAILED(hr)) {
        PrintLine(L"cannot create PluginForBrellix.Main: " + Result(hr));
        return 2;
    }
    Host host(std::move(plugin), window.Get());
    if (!host.Run(args)) return 2;
    return host.AllSucceeded() ? 0 : 1;
}
