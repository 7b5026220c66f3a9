// An independent IDispatch client: a VBScript run by the prefix's cscript creates the
// registered class by its ProgID and reads the identity and a few calls by name.
#include "tests/com/ComTestSupport.h"

#include "support/Raii.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

using namespace com_testing;

namespace {

// cscript reports no script errors and exits 0 on its own: the script traps them and says
// what failed through its exit code.
const char kScript[] = R"(On Error Resume Next
Set plugin = CreateObject("PluginForBrellix.Main")
If Err.Number <> 0 Then
  WScript.Echo "CreateObject failed: " & Hex(Err.Number)
  WScript.Quit 2
End If
WScript.Echo "Name=" & plugin.Name
WScript.Echo "Title=" & plugin.Title
WScript.Echo "Description=" & plugin.Description
WScript.Echo "Version=" & plugin.Version
WScript.Echo "Icon=" & plugin.Icon
WScript.Echo "IsExecutable=" & CStr(CInt(plugin.IsExecutable))
WScript.Echo "Connect=" & plugin.Connect()
If Err.Number <> 0 Then
  WScript.Echo "call failed: " & Hex(Err.Number)
  WScript.Quit 3
End If
WScript.Quit 0
)";

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c);
    return out;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// "1.0.0.1" from the numbers of the DLL's fixed version block, read independently.
std::string ExpectedVersion() {
    std::wstring path = PluginDllPath();
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<BYTE> block(size);
    ::GetFileVersionInfoW(path.c_str(), 0, size, block.data());
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length);
    if (!info) return "(no version block)";
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

class ScriptClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegSvr32(L"/s"), 0u);
        // The host registers its own type library; IDispatch of IPLRPlugin2 is served from it.
        std::wstring hostLibrary = testing_support::BinFolder() + L"\\PLRPluginIF.tlb";
        ASSERT_EQ(::LoadTypeLibEx(hostLibrary.c_str(), REGKIND_REGISTER, m_hostLibrary.Put()), S_OK);
    }
    void TearDown() override {
        RegSvr32(L"/s /u");
        TLIBATTR* attributes = nullptr;
        if (m_hostLibrary && SUCCEEDED(m_hostLibrary->GetLibAttr(&attributes))) {
            ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                attributes->lcid, attributes->syskind);
            m_hostLibrary->ReleaseTLibAttr(attributes);
        }
    }

    raii::ComApartment m_apartment;
    raii::ComPtr<ITypeLib> m_hostLibrary;
    testing_support::ScratchFolder m_scratch;
};

}  // namespace

TEST_F(ScriptClient, ReadsIdentityThroughIDispatch) {
    std::wstring script = m_scratch / L"identity.vbs";
    testing_support::WriteFileBytes(script, kScript);
    ProcessResult run = RunProcess(L"cscript.exe //NoLogo \"" + script + L"\"");
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    std::vector<std::string> lines = Lines(run.output);
    std::vector<std::string> expected = {
        "Name=Pellora plug-in for Brellix",
        "Title=Save in Brellix",
        "Description=Function to link Brellix and Pellora",
        "Version=" + ExpectedVersion(),
        "Icon=" + Narrow(testing_support::BinFolder()) + "\\PluginForBrellix.ico",
        "IsExecutable=-1",
        "Connect=0",
    };
    ASSERT_EQ(lines.size(), expected.size()) << run.output;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].rfind("Icon=", 0) == 0) {
            EXPECT_EQ(Lower(lines[i]), Lower(expected[i]));  // file-system paths compare without case
        } else {
            EXPECT_EQ(lines[i], expected[i]);
        }
    }
    EXPECT_EQ(ExpectedVersion(), "1.0.0.1");
}
