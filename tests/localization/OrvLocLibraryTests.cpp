// The stand-in localisation library through its exports, as any caller sees it.
#include "tests/localization/LocalizationFixtures.h"

#include <gtest/gtest.h>

namespace {

using SetLocaleFn = int(__stdcall*)(int);
using AddFileWFn = int(__stdcall*)(const wchar_t*);
using LookupAWFn = const wchar_t*(__stdcall*)(const char*, int*);
using LookupWWFn = const wchar_t*(__stdcall*)(const wchar_t*, int*);
using A2WFn = wchar_t*(__stdcall*)(wchar_t*, const char*, int);

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

class OrvLocExports : public ::testing::Test {
protected:
    void SetUp() override {
        loc_test::PlaceLocalizationLibrary(m_folder / L"orvloc.dll");
        m_library.Reset(::LoadLibraryW((m_folder / L"orvloc.dll").c_str()));
        ASSERT_TRUE(m_library);
        for (const char* name : {"OrvLocalizeSetLocale", "OrvLocalizeGetLocale", "OrvLocalizeAddFileA",
                                 "OrvLocalizeAddFileW", "OrvLocalizeClearFiles", "OrvLocalizeLookupAW",
                                 "OrvLocalizeLookupWW", "OrvLocalizeA2W", "OrvLocalizeW2A", "OrvLocalizeDialog"}) {
            EXPECT_NE(::GetProcAddress(m_library.Get(), name), nullptr) << name;
        }
    }
    testing_support::ScratchFolder m_folder;
    raii::UniqueModule m_library;
};

}  // namespace

TEST_F(OrvLocExports, LookupsReportSizesInBytesWithTheTerminator) {
    auto setLocale = Export<SetLocaleFn>(m_library.Get(), "OrvLocalizeSetLocale");
    auto addFile = Export<AddFileWFn>(m_library.Get(), "OrvLocalizeAddFileW");
    auto lookupAW = Export<LookupAWFn>(m_library.Get(), "OrvLocalizeLookupAW");
    auto lookupWW = Export<LookupWWFn>(m_library.Get(), "OrvLocalizeLookupWW");
    testing_support::WriteFileBytes(m_folder / L"a.loc", "[1041]\n\"Key\" = \"\xE3\x82\xAD\xE3\x83\xBC\"\nnot an entry\n"
                                                         "\"\xE2\x80\x9Cq\xE2\x80\x9D\" = \"quoted\"\n");
    EXPECT_EQ(addFile((m_folder / L"a.loc").c_str()), 1) << "one bad line, the rest is used";
    EXPECT_EQ(addFile((m_folder / L"missing.loc").c_str()), -1);
    setLocale(1041);

    int size = 0;
    const wchar_t* text = lookupAW("Key", &size);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text), L"キー");
    EXPECT_EQ(size, 6);
    text = lookupAW("\x81\x67q\x81\x68", &size);
    ASSERT_NE(text, nullptr) << "Shift-JIS marks in a narrow key match the typographic marks";
    EXPECT_EQ(std::wstring(text), L"quoted");
    EXPECT_EQ(lookupAW("Missing", &size), nullptr);
    EXPECT_EQ(size, 16) << "the wide key's bytes with the terminator";
    EXPECT_EQ(lookupWW(L"Key", &size), std::wstring(L"キー"));
    EXPECT_EQ(lookupWW(L"Missing", &size), nullptr);
    EXPECT_EQ(size, 16);
    setLocale(1031);
    EXPECT_EQ(lookupAW("Key", &size), nullptr);
}

TEST_F(OrvLocExports, NarrowToWideStaysInsideTheBuffer) {
    auto a2w = Export<A2WFn>(m_library.Get(), "OrvLocalizeA2W");
    wchar_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(a2w(buffer, "\x81\x67" "ab", 8), buffer);
    EXPECT_EQ(std::wstring(buffer), L"\u201C" L"ab");
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    a2w(buffer, "abcdefgh", 4);
    EXPECT_EQ(std::wstring(buffer), L"abc");
    EXPECT_EQ(buffer[4], L'#') << "nothing written past size characters";
}
