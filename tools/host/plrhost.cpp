// plrhost: plays the scanning host's part on the command line. It registers the host's type
// library PLRPluginIF (PLRPluginIF.tlb beside the program), creates "PluginForBrellix.Main"
// through COM, owns a top-level window whose handle it passes as hWindow, and makes one host
// call per subcommand, printing the HRESULT, pRetVal and the out-values. Several subcommands
// may follow each other; they run in order on one object.
//
//   identity | flags | connect | disconnect | set-language <id> | create-id
//   delete-id <job> | copy-id <job> | show-setting <job> | common-setting | summary <job>
//   link-state <job> | link-label <job> | open-link <job>
//   execute <filelist> <delete 0|1> [<job>] | export <folder> | import <folder>
//
// Job IDs are braced GUID texts; "execute" without one uses the job that an earlier
// create-id of the same run made.
#include "support/Raii.h"

#include "PLRPluginIF.h"

#include <shellapi.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

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
                PrintLine(L"usage error at \"" + command + L"\"");
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
            PrintLine(L"not a job ID: " + text);
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
        PrintLine(L"usage: plrhost <subcommand> [arguments] [<subcommand> ...]");
        return 2;
    }

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
