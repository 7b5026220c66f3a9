// CMain's frame around the application object, served in this process: result mapping,
// *pRetVal, out-parameters, exceptions, and the log lines written through the project's
// log library. A scripted application object returns chosen codes.
#include "host/CMain.h"

#include "support/ComError.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"
#include "tests/com/ComTestSupport.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>

using com_testing::Lines;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;

namespace {

const GUID kJob = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
const char kJobText[] = "12345678-9ABC-DEF0-0123-456789ABCDEF";
const GUID kMade = {0xA1B2C3D4, 0x1111, 0x2222, {0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0x00}};
const char kMadeText[] = "A1B2C3D4-1111-2222-3344-556677889900";

// Every body returns `code` and records what it was given.
class ScriptedApp : public PluginAppBrellix {
public:
    int code = 0;
    std::function<void()> raise;  // run by Connect before it returns

    MyGuid lastId;
    std::wstring lastText;
    bool lastDelete = false;
    long lastWindow = 0;

    int OnConnect() override {
        if (raise) raise();
        return code;
    }
    int OnDisconnect() override { return code; }
    int CreateIdCall(MyGuid& newId) override {
        newId = MyGuid(kMade);
        return code;
    }
    int DeleteIdCall(const MyGuid& id) override {
        lastId = id;
        return code;
    }
    int CopyIdCall(const MyGuid& srcId, MyGuid& dstId) override {
        lastId = srcId;
        dstId = MyGuid(kMade);
        return code;
    }
    int ShowSettingCall(const MyGuid& id, long window) override {
        lastId = id;
        lastWindow = window;
        return code;
    }
    int ShowCommonSettingCall(long window) override {
        lastWindow = window;
        return code;
    }
    int ExecuteCall(const MyGuid& id, const MyFilePath& fileList, bool deleteSources, long window) override {
        lastId = id;
        lastText = fileList.GetPath();
        lastDelete = deleteSources;
        lastWindow = window;
        return code;
    }
    int ImportCall(const MyFolderPath& folder) override {
        lastText = folder.GetPath();
        return code;
    }
    int ExportCall(const MyFolderPath& folder) override {
        lastText = folder.GetPath();
        return code;
    }
    int SettingSummary(const GUID* id, std::wstring& text) override {
        lastId = MyGuid(*id);
        text = L"Destination: Scans";
        return code;
    }
    int ShowLinkButtonCall(const MyGuid& id, bool& show) override {
        lastId = id;
        show = true;
        return code;
    }
    int LinkLabelCall(const MyGuid& id, std::wstring& text) override {
        lastId = id;
        text = L"Open storage folder";
        return code;
    }
    int ClickedLinkButtonCall(const MyGuid& id) override {
        lastId = id;
        return code;
    }
};

class ScriptedMain : public CMain {
public:
    ScriptedMain() : CMain(m_app, nullptr) {}
    ScriptedApp& App() { return m_app; }

private:
    ScriptedApp m_app;
};

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c);
    return out;
}

std::string Hex8(unsigned int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// A CMain over a scripted application object, with the log bound to the stand-in library
// writing into a scratch file.
class MainFrame : public ::testing::Test {
protected:
    void SetUp() override {
        m_logFile = m_scratch / L"log.txt";
        ::SetEnvironmentVariableW(L"ORVINFOLOG_FILE", m_logFile.c_str());
        ASSERT_EQ(TheLog().Load((testing_support::StandinFolder() + L"\\orvinfolog.dll").c_str()), 0);
        TheLog().CreateInfoHandle(::GetModuleHandleW(nullptr));
        TheLog().SetThreadName(L"PLRP_Brellix");
        m_main = new ScriptedMain;
        m_main->AddRef();
        m_plugin = raii::ComPtr<IPLRPlugin2>::Attach(static_cast<IPLRPlugin2*>(m_main));
    }
    void TearDown() override {
        m_plugin.Reset();
        TheLog().Unload();
        ::SetEnvironmentVariableW(L"ORVINFOLOG_FILE", nullptr);
    }

    ScriptedApp& App() { return m_main->App(); }

    // The texts of the log lines, after "] L<level> ", with the level in front: "2 text".
    std::vector<std::string> LogLines() {
        std::vector<std::string> texts;
        for (const std::string& line : Lines(ReadFileBytes(m_logFile))) {
            size_t marker = line.find("] L");
            if (marker != std::string::npos) texts.push_back(line.substr(marker + 3));
        }
        return texts;
    }

    ScratchFolder m_scratch;
    std::wstring m_logFile;
    ScriptedMain* m_main = nullptr;
    raii::ComPtr<IPLRPlugin2> m_plugin;
};

struct MappingCase {
    int code;
    HRESULT expected;
};

class ResultMapping : public MainFrame, public ::testing::WithParamInterface<MappingCase> {};

}  // namespace

TEST_P(ResultMapping, CreateIdMapsTheCodeKeepsItRawAndLogsTheError) {
    const MappingCase& param = GetParam();
    App().code = param.code;
    GUID newId = {};
    LONG retVal = 0;
    EXPECT_EQ(m_plugin->CreateID(&newId, &retVal), param.expected);
    EXPECT_EQ(retVal, param.code);
    EXPECT_TRUE(IsEqualGUID(newId, kMade));  // written whatever the result

    std::vector<std::string> lines = LogLines();
    std::vector<std::string> expected = {
        "2 CMain::CreateID, &newID = 0x" + Hex8(LogHex(&newId)),
        "2 *pRetVal = 0x" + Hex8(static_cast<unsigned int>(param.code)) + ", newid = " + kMadeText,
    };
    if (param.code != 0) {
        char error[64];
        std::snprintf(error, sizeof error, "3 m_plugin.CreateID: error = %08X", static_cast<unsigned int>(param.expected));
        expected.push_back(error);
    }
    EXPECT_EQ(lines, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ResultMapping,
                         ::testing::Values(MappingCase{22, static_cast<HRESULT>(0x80070016)},
                                           MappingCase{1223, static_cast<HRESULT>(0x800704C7)},
                                           MappingCase{0x24000000, static_cast<HRESULT>(0x80070000)},
                                           MappingCase{static_cast<int>(0x80004005), static_cast<HRESULT>(0x80004005)},
                                           MappingCase{0, S_OK}));

TEST(ResultMappingFunction, MatchesTheWin32FacilityRule) {
    EXPECT_EQ(HResultFromPluginResult(0), S_OK);
    EXPECT_EQ(HResultFromPluginResult(5), HRESULT_FROM_WIN32(5));
    EXPECT_EQ(HResultFromPluginResult(0x20000001), static_cast<HRESULT>(0x80070001));
    EXPECT_EQ(HResultFromPluginResult(-1), static_cast<HRESULT>(-1));
}

// Each call with its entry and result lines (result 22, so every call also fails).
TEST_F(MainFrame, EveryCallWritesItsEntryResultAndErrorLines) {
    App().code = 22;
    GUID copy = {};
    VARIANT_BOOL flag = VARIANT_FALSE;
    BSTR text = nullptr;
    LONG r = 0;
    raii::UniqueBstr extension(::SysAllocString(L".pdf"));
    raii::UniqueBstr list(::SysAllocString(L"C:\\scans\\list.txt"));
    raii::UniqueBstr folder(::SysAllocString(L"C:\\export"));
    const std::string id = kJobText;
    const std::string ok22 = "2 *pRetVal = 0x00000016";

    struct Case {
        std::function<HRESULT()> call;
        std::vector<std::string> lines;
    };
    std::vector<Case> cases = {
        {[&] { return m_plugin->Connect(&r); }, {"2 CMain::Connect", ok22, "3 m_plugin.Connect: error = 80070016"}},
        {[&] { return m_plugin->Disconnect(&r); },
         {"2 CMain::Disconnect", ok22, "3 m_plugin.Disconnect: error = 80070016"}},
        {[&] { return m_plugin->DeleteID(kJob, &r); },
         {"2 CMain::DeleteID, id = " + id, ok22, "3 m_plugin.DeleteID: error = 80070016"}},
        {[&] { return m_plugin->CopyID(kJob, &copy, &r); },
         {"2 CMain::CopyID, &dstid = 0x" + Hex8(LogHex(&copy)) + ", srcid = " + id,
          ok22 + ", dstid = " + kMadeText, "3 m_plugin.CopyID: error = 80070016"}},
        {[&] { return m_plugin->ShowSetting(kJob, 0x00010042, &r); },
         {"2 CMain::ShowSetting, hWindow = 0x00010042, id = " + id, ok22, "3 m_plugin.ShowSetting: error = 80070016"}},
        {[&] { return m_plugin->ShowCommonSetting(0x00010042, &r); },
         {"2 CMain::ShowCommonSetting, hWindow = 0x00010042", ok22, "3 m_plugin.ShowCommonSetting: error = 80070016"}},
        {[&] { return m_plugin->Execute(kJob, list.Get(), VARIANT_TRUE, 0x00010042, &r); },
         {"2 CMain::Execute, filelist = C:\\scans\\list.txt, bfiledelete = 0xffffffff, hWindow = 0x00010042", ok22,
          "3 m_plugin.Execute: error = 80070016"}},
        {[&] {
             HRESULT hr = m_plugin->SettingsSummary(kJob, &text, &r);
             ::SysFreeString(std::exchange(text, nullptr));
             return hr;
         },
         {"2 CMain::SettingsSummary, id = " + id + ", &Text = 0x" + Hex8(LogHex(&text)),
          "2 *pRetVal = 00000016, _text = Destination: Scans", "3 m_plugin.SettingSummary: error = 80070016"}},
        {[&] { return m_plugin->Import(folder.Get(), &r); },
         {"2 CMain::Import, FolderPath = C:\\export", ok22, "3 m_plugin.Import: error = 80070016"}},
        {[&] { return m_plugin->Export(folder.Get(), &r); },
         {"2 CMain::Export, FolderPath = C:\\export", ok22, "3 m_plugin.Export: error = 80070016"}},
        {[&] { return m_plugin->ShowLinkButton(kJob, &flag, &r); },
         {"2 CMain::ShowLinkButton, id = " + id, ok22 + ", bShow = 0", "3 m_plugin.ShowLinkButton: error = 80070016"}},
        {[&] {
             HRESULT hr = m_plugin->LinkLabel(kJob, &text, &r);
             ::SysFreeString(std::exchange(text, nullptr));
             return hr;
         },
         {"2 CMain::LinkLabel, id = " + id + ", Text = 0x" + Hex8(LogHex(&text)), ok22 + ", _text = ",
          "3 m_plugin.LinkLabel: error = 80070016"}},
        {[&] { return m_plugin->ClickedLinkButton(kJob, &r); },
         {"2 CMain::ClickedLinkButton, id = " + id, ok22, "3 m_plugin.ClickedLinkButton: error = 80070016"}},
    };
    std::vector<std::string> expected;
    for (Case& c : cases) {
        r = 0;
        EXPECT_EQ(c.call(), static_cast<HRESULT>(0x80070016)) << c.lines[0];
        EXPECT_EQ(r, 22) << c.lines[0];
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    }
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(MainFrame, SuccessfulCallsWriteNoErrorLine) {
    LONG r = -1;
    EXPECT_EQ(m_plugin->SetLanguageID(1041, &r), S_OK);
    EXPECT_EQ(r, 0);
    VARIANT_BOOL enable = VARIANT_FALSE;
    raii::UniqueBstr extension(::SysAllocString(L".tif"));
    EXPECT_EQ(m_plugin->IsSupportedFileType(extension.Get(), &enable, &r), S_OK);
    EXPECT_EQ(enable, VARIANT_TRUE);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "2 CMain::SetLanguageID, LanguageID = 1041",
                              "2 *pRetVal = 0x00000000",
                              "2 CMain::IsSupportedFileType, Extention = .tif, &bEnable = 0x" + Hex8(LogHex(&enable)),
                              "2 *pRetVal = 0x00000000, bEnable = 0xffffffff",
                          }));
}

TEST_F(MainFrame, FlagGettersAreTrueAndPrintTheSignExtendedValue) {
    using Getter = HRESULT (STDMETHODCALLTYPE IPLRPlugin2::*)(VARIANT_BOOL*);
    const std::pair<Getter, const char*> getters[] = {
        {&IPLRPlugin2::get_ShowSettingButton, "ShowSettingButton"},
        {&IPLRPlugin2::get_ShowCommonSettingButton, "ShowCommonSettingButton"},
        {&IPLRPlugin2::get_IsExecutable, "IsExecutable"},
        {&IPLRPlugin2::get_ShowSettingsSummary, "ShowSettingsSummary"},
        {&IPLRPlugin2::get_ShowFileNameSetting, "ShowFileNameSetting"},
        {&IPLRPlugin2::get_ShowFileTypeSetting, "ShowFileTypeSetting"},
    };
    std::vector<std::string> expected;
    for (const auto& getter : getters) {
        VARIANT_BOOL value = VARIANT_FALSE;
        EXPECT_EQ((m_plugin.Get()->*getter.first)(&value), S_OK);
        EXPECT_EQ(value, VARIANT_TRUE) << getter.second;
        expected.push_back(std::string("2 CMain::get_") + getter.second);
        expected.push_back("2 *pRetVal = 0xffffffff");
    }
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(MainFrame, TextGettersHandOverNewStringsAndLogThem) {
    BSTR name = nullptr;
    ASSERT_EQ(m_plugin->get_Name(&name), S_OK);
    raii::UniqueBstr owned(name);
    ASSERT_NE(name, nullptr);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "2 CMain::get_Name");
    EXPECT_EQ(lines[1], "2 _text = " + Narrow(name));
}

TEST_F(MainFrame, ExecutePassesArgumentsAndDeletesOnlyForVariantTrue) {
    raii::UniqueBstr list(::SysAllocString(L"C:\\scans\\list.txt"));
    const std::pair<VARIANT_BOOL, bool> cases[] = {{VARIANT_TRUE, true}, {1, false}, {VARIANT_FALSE, false}};
    for (const auto& c : cases) {
        LONG r = -1;
        EXPECT_EQ(m_plugin->Execute(kJob, list.Get(), c.first, 0x00020044, &r), S_OK);
        EXPECT_EQ(App().lastDelete, c.second) << c.first;
        EXPECT_TRUE(IsEqualGUID(App().lastId.GetGuid(), kJob));
        EXPECT_EQ(App().lastText, L"C:\\scans\\list.txt");
        EXPECT_EQ(App().lastWindow, 0x00020044);
    }
}

TEST_F(MainFrame, FailedCallsStillHandBackTheirStringsAndCreatedIds) {
    App().code = 0x23000000;
    BSTR summary = nullptr;
    LONG r = 0;
    EXPECT_EQ(m_plugin->SettingsSummary(kJob, &summary, &r), static_cast<HRESULT>(0x80070000));
    raii::UniqueBstr ownedSummary(summary);
    ASSERT_NE(summary, nullptr);
    EXPECT_STREQ(summary, L"Destination: Scans");

    BSTR label = nullptr;
    EXPECT_EQ(m_plugin->LinkLabel(kJob, &label, &r), static_cast<HRESULT>(0x80070000));
    raii::UniqueBstr ownedLabel(label);
    ASSERT_NE(label, nullptr);  // an empty string: the label is only given on success
    EXPECT_EQ(::SysStringLen(label), 0u);
    EXPECT_EQ(r, 0x23000000);

    GUID copy = {};
    EXPECT_EQ(m_plugin->CopyID(kJob, &copy, &r), static_cast<HRESULT>(0x80070000));
    EXPECT_TRUE(IsEqualGUID(copy, kMade));
    EXPECT_TRUE(IsEqualGUID(App().lastId.GetGuid(), kJob));
}

TEST_F(MainFrame, ShowLinkButtonSetsTheFlagOnlyOnSuccess) {
    VARIANT_BOOL show = 0x1234;
    LONG r = 0;
    App().code = 10;
    EXPECT_EQ(m_plugin->ShowLinkButton(kJob, &show, &r), HRESULT_FROM_WIN32(10));
    EXPECT_EQ(show, 0x1234);
    App().code = 0;
    EXPECT_EQ(m_plugin->ShowLinkButton(kJob, &show, &r), S_OK);
    EXPECT_EQ(show, VARIANT_TRUE);

    BSTR label = nullptr;
    EXPECT_EQ(m_plugin->LinkLabel(kJob, &label, &r), S_OK);
    raii::UniqueBstr owned(label);
    EXPECT_STREQ(label, L"Open storage folder");
}

TEST_F(MainFrame, IsSupportedFileTypeAcceptsEveryExtensionAlsoEmptyAndNull) {
    for (const wchar_t* extension : {L".jpg", L"", static_cast<const wchar_t*>(nullptr)}) {
        raii::UniqueBstr text(extension ? ::SysAllocString(extension) : nullptr);
        VARIANT_BOOL enable = VARIANT_FALSE;
        LONG r = -1;
        EXPECT_EQ(m_plugin->IsSupportedFileType(text.Get(), &enable, &r), S_OK);
        EXPECT_EQ(enable, VARIANT_TRUE);
        EXPECT_EQ(r, 0);
    }
}

TEST_F(MainFrame, ExceptionsFromInsideBecomeTheirHResultAndLeavePRetVal) {
    const std::pair<std::function<void()>, HRESULT> cases[] = {
        {[] { throw ComError(static_cast<HRESULT>(0x8007000E)); }, static_cast<HRESULT>(0x8007000E)},
        {[] { throw ComError(DISP_E_TYPEMISMATCH); }, DISP_E_TYPEMISMATCH},
        {[] { throw std::bad_alloc(); }, E_OUTOFMEMORY},
    };
    for (const auto& c : cases) {
        App().raise = c.first;
        LONG r = 77;
        EXPECT_EQ(m_plugin->Connect(&r), c.second);
        EXPECT_EQ(r, 77);
    }
}

TEST_F(MainFrame, NullOutPointersAreRefused) {
    EXPECT_EQ(m_plugin->Connect(nullptr), E_POINTER);
    EXPECT_EQ(m_plugin->get_Name(nullptr), E_POINTER);
    LONG r = 0;
    EXPECT_EQ(m_plugin->CreateID(nullptr, &r), E_POINTER);
}

TEST_F(MainFrame, TheApplicationObjectRecordsTheWindowAndFolderUnchanged) {
    LONG r = 0;
    EXPECT_EQ(m_plugin->ShowCommonSetting(static_cast<LONG>(0xFFFF1234), &r), S_OK);
    EXPECT_EQ(App().lastWindow, static_cast<long>(0xFFFF1234));
    raii::UniqueBstr folder(::SysAllocString(L"D:\\carry"));
    EXPECT_EQ(m_plugin->Export(folder.Get(), &r), S_OK);
    EXPECT_EQ(App().lastText, L"D:\\carry");
}

// The real application object behind CMain answers the calls that need no collaborator.
TEST(RealMain, ConnectAndDisconnectSucceed) {
    raii::ComPtr<IPLRPlugin2> plugin;
    ASSERT_EQ(CMain::CreateInstance(nullptr, IID_IPLRPlugin2, plugin.PutVoid()), S_OK);
    LONG r = -1;
    EXPECT_EQ(plugin->Connect(&r), S_OK);
    EXPECT_EQ(r, 0);
    r = -1;
    EXPECT_EQ(plugin->Disconnect(&r), S_OK);
    EXPECT_EQ(r, 0);
}

// Interface map and the type information behind IDispatch.
class Faces : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring hostLibrary = testing_support::BinFolder() + L"\\PLRPluginIF.tlb";
        ASSERT_EQ(::LoadTypeLibEx(hostLibrary.c_str(), REGKIND_REGISTER, m_hostLibrary.Put()), S_OK);
        ASSERT_EQ(CMain::CreateInstance(nullptr, IID_IUnknown, m_object.PutVoid()), S_OK);
    }
    void TearDown() override {
        m_object.Reset();
        TLIBATTR* attributes = nullptr;
        if (m_hostLibrary && SUCCEEDED(m_hostLibrary->GetLibAttr(&attributes))) {
            ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                attributes->lcid, attributes->syskind);
            m_hostLibrary->ReleaseTLibAttr(attributes);
        }
    }

    raii::ComApartment m_apartment;
    raii::ComPtr<ITypeLib> m_hostLibrary;
    raii::ComPtr<IUnknown> m_object;
};

TEST_F(Faces, IUnknownIsIMainAndIDispatchIsThePluginInterface) {
    raii::ComPtr<IMain> main;
    raii::ComPtr<IDispatch> dispatch;
    raii::ComPtr<IPLRPlugin2> plugin;
    ASSERT_EQ(m_object->QueryInterface(IID_IMain, main.PutVoid()), S_OK);
    ASSERT_EQ(m_object->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
    ASSERT_EQ(m_object->QueryInterface(IID_IPLRPlugin2, plugin.PutVoid()), S_OK);
    EXPECT_EQ(static_cast<void*>(m_object.Get()), static_cast<void*>(main.Get()));
    EXPECT_EQ(static_cast<void*>(dispatch.Get()), static_cast<void*>(plugin.Get()));
    raii::ComPtr<IUnknown> none;
    EXPECT_EQ(m_object->QueryInterface(IID_IClassFactory, none.PutVoid()), E_NOINTERFACE);
}

TEST_F(Faces, DispatchIsServedFromTheHostTypeLibrary) {
    raii::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(m_object->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    raii::ComPtr<ITypeInfo> info;
    EXPECT_EQ(dispatch->GetTypeInfo(1, 0, info.Put()), DISP_E_BADINDEX);
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, info.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IPLRPlugin2));
    info->ReleaseTypeAttr(attributes);

    wchar_t name[] = L"Disconnect";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 13);
    DISPPARAMS none = {};
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 0);
}

TEST_F(Faces, IMainDispatchIsServedFromThePluginTypeLibrary) {
    raii::ComPtr<IMain> main;
    ASSERT_EQ(m_object->QueryInterface(IID_IMain, main.PutVoid()), S_OK);
    raii::ComPtr<ITypeInfo> info;
    EXPECT_EQ(main->GetTypeInfo(3, 0, info.Put()), DISP_E_BADINDEX);
    ASSERT_EQ(main->GetTypeInfo(0, 0, info.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IMain));
    info->ReleaseTypeAttr(attributes);
}
