#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/PrintfConversions.h"

#include "tests/localization/LocalizationFixtures.h"

#include <gtest/gtest.h>

#include <functional>

using loc_test::BoundWithShippedFile;
using loc_test::UnboundLocalization;

namespace {

struct GetterCase {
    std::function<std::wstring()> getter;
    const wchar_t* english;
};

const GetterCase kEnglishTexts[] = {
    {texts::Error, L"Error"},
    {texts::ErrorOccured, L"Error occured."},
    {texts::FileCannotBeSaved, L"The file cannot be saved."},
    {[] { return texts::FailedFile(L"page & 1.pdf"); }, L"File: page & 1.pdf"},
    {[] { return texts::FailedFolder(L"C:\\sync\\Job"); }, L"Destination folder: C:\\sync\\Job"},
    {texts::BadArguments, L"Bad arguments."},
    {texts::CouldNotReadSettings, L"Could not read settings."},
    {texts::CouldNotWriteSettings, L"Could not write settings."},
    {texts::CouldNotCreateId, L"Could not create id."},
    {texts::CouldNotReadScannedImages, L"Could not read scanned images."},
    {texts::SaveIn, L"Save in Brellix"},
    {texts::PluginFor, L"Pellora plug-in for Brellix"},
    {texts::FunctionToLink, L"Function to link Brellix and Pellora"},
    {texts::PleaseSelectFolder, L"Please select Brellix folder."},
    {texts::OpenStorageFolder, L"Open storage folder"},
    {texts::NecessaryToInstall, L"It is necessary to install the Brellix application to use this plug-in."},
    {texts::InstallThe, L"Install the Brellix."},
    {texts::HaveYouInstalled, L"Have you installed the Brellix application?"},
    {texts::Confirmation, L"Confirmation"},
    {texts::Saving, L"Saving..."},
    {texts::Cancel, L"Cancel"},
    {texts::Retry, L"&Retry"},
    {texts::Abort, L"&Abort"},
    {texts::Setting, L"&Setting..."},
    {texts::RenamedFiles, L"Renamed files"},
    {texts::FileNamesDuplicated, L"Because file names were duplicated, it was renamed."},
    {texts::ConfiguredFileName, L"Configured file name"},
    {texts::RenamedFileName, L"Renamed file name"},
    {texts::DoNotShowAgain, L"&Do not show this message again."},
    {texts::RenameHint,
     L"When confirming the renamed file name, set from \u201C" L"Environmental settings \u201D in Pellora."},
    {texts::CommonSettings, L"Common settings"},
    {texts::ConfirmFileName, L"&Confirm the file name when saving the file."},
    {texts::Ok, L"OK"},
    {texts::Help, L"&Help"},
    {texts::Brellix, L"Brellix"},
    {texts::Pellora, L"Pellora"},
    {texts::DialogFont, L"Segoe UI/9"},
    {texts::PreferredFace, L"Segoe UI"},
    {texts::FallbackFace, L"Tahoma"},
};

}  // namespace

TEST_F(UnboundLocalization, EveryGetterGivesItsEnglishKeyWithNamesFilledIn) {
    ASSERT_EQ(LocalizationModule(), nullptr);
    ASSERT_EQ(std::size(kEnglishTexts), texts::AllKeys().size()) << "one case per row of the table";
    for (const GetterCase& entry : kEnglishTexts) EXPECT_EQ(entry.getter(), entry.english);
}

TEST_F(UnboundLocalization, LocaleIsEnglishAndNothingReadsRightToLeft) {
    SetCurrentLocale(1025);
    AddFile(loc_test::ShippedTranslations().c_str());
    EXPECT_EQ(CurrentLocale(), 1033);
    EXPECT_FALSE(IsRightToLeft());
    EXPECT_EQ(RightToLeftReadingFlag(), 0u);
    EXPECT_EQ(TranslateKey("Error"), L"Error");
}

TEST_F(UnboundLocalization, WideKeysLoseOnlyTheDoublingOfPercentSigns) {
    EXPECT_EQ(TranslateWideKey(L"Folder"), L"Folder");
    EXPECT_EQ(TranslateWideKey(L"100%% sure, 50%%%% more"), L"100% sure, 50%% more");
    EXPECT_EQ(TranslateWideKey(L"%s stays"), L"%s stays") << "never used as a format with arguments";
    EXPECT_EQ(TranslateWideKey(L""), L"");
}

TEST_F(BoundWithShippedFile, JapaneseLocaleGivesJapaneseTexts) {
    SetCurrentLocale(1041);
    EXPECT_EQ(CurrentLocale(), 1041);
    EXPECT_FALSE(IsRightToLeft());
    EXPECT_EQ(texts::Error(), L"エラー");
    EXPECT_EQ(texts::SaveIn(), L"Brellixに保存");
    EXPECT_EQ(texts::PluginFor(), L"Pellora プラグイン（Brellix 用）");
    EXPECT_EQ(texts::RenameHint(), L"保存時にファイル名を確認するには、Pelloraの「環境設定」で設定してください。")
        << "the key with the Shift-JIS quotation marks is found";
    EXPECT_EQ(texts::Retry(), L"再試行(&R)");
    EXPECT_EQ(texts::DialogFont(), L"Meiryo UI/9");
}

TEST_F(BoundWithShippedFile, EveryKeyIsTranslatedInEveryShippedLanguage) {
    for (int locale : {1041, 1031, 1036, 1025}) {
        SetCurrentLocale(static_cast<LANGID>(locale));
        int translated = 0;
        for (const char* key : texts::AllKeys()) {
            std::wstring english = UntranslatedKey(key);
            std::wstring text = TranslateKey(key);
            EXPECT_FALSE(text.empty()) << locale << " " << key;
            EXPECT_TRUE(printf_format::SameConversions(text, english)) << locale << " " << key;
            if (text != english) ++translated;
        }
        // Product names, "OK" and font faces may stay as they are; the sentences may not.
        EXPECT_GE(translated, 29) << locale;
    }
}

TEST_F(BoundWithShippedFile, GermanFrenchAndFallbackToThePrimaryLanguage) {
    SetCurrentLocale(1031);
    EXPECT_EQ(texts::PleaseSelectFolder(), L"Bitte wählen Sie den Brellix-Ordner aus.");
    SetCurrentLocale(3079);  // German, Austria: no section of its own
    EXPECT_EQ(CurrentLocale(), 3079);
    EXPECT_EQ(texts::Cancel(), L"Abbrechen");
    SetCurrentLocale(1036);
    EXPECT_EQ(texts::HaveYouInstalled(), L"Avez-vous installé l'application Brellix\u00A0?");
}

TEST_F(BoundWithShippedFile, KeyWithoutTranslationGivesTheKey) {
    SetCurrentLocale(1041);
    EXPECT_EQ(TranslateKey("No such key anywhere"), L"No such key anywhere");
    EXPECT_EQ(TranslateWideKey(L"Unknown 100%%"), L"Unknown 100%");
    SetCurrentLocale(1044);  // Norwegian: not shipped
    EXPECT_EQ(texts::Error(), L"Error");
    EXPECT_EQ(texts::SaveIn(), L"Save in Brellix");
}

TEST_F(UnboundLocalization, TranslationWithOtherConversionsThanItsKeyIsNotUsed) {
    loc_test::PluginFolder plugin;
    loc_test::PlaceLocalizationLibrary(plugin / L"orvloc.dll");
    ASSERT_TRUE(LoadLocalization(plugin.Handle()));
    testing_support::WriteFileBytes(plugin / L"bad.loc",
                                    "[1041]\n"
                                    "\"Save in %s\" = \"%s %d %s\"\n"
                                    "\"Install the %s.\" = \"%sを\\nインストール\"\n"
                                    "\"Function to link %s and %s\" = \"%s\"\n"
                                    "\"Brellix\" = \"ブレリクス\"\n");
    AddFile((plugin / L"bad.loc").c_str());
    SetCurrentLocale(1041);
    EXPECT_EQ(texts::SaveIn(), L"Save in ブレリクス") << "a translation that would read a missing argument";
    EXPECT_EQ(texts::FunctionToLink(), L"Function to link ブレリクス and Pellora");
    EXPECT_EQ(texts::InstallThe(), L"ブレリクスを\nインストール") << "escaped line break";
}

TEST(PrintfConversions, FindsEachConversionAsWritten) {
    struct Case {
        const wchar_t* format;
        std::vector<std::wstring> conversions;
    } cases[] = {
        {L"plain text", {}},
        {L"100%% done", {}},
        {L"%s plug-in for %s", {L"%s", L"%s"}},
        {L"%-8.3ls|%08lX|%I64d|%*d|%%%c", {L"%-8.3ls", L"%08lX", L"%I64d", L"%*d", L"%c"}},
        {L"50% percent", {L"% p"}},
        {L"ends with %", {L"%"}},
    };
    for (const Case& c : cases) EXPECT_EQ(printf_format::Conversions(c.format), c.conversions) << c.format;
    EXPECT_TRUE(printf_format::SameConversions(L"Save in %s", L"%sに保存"));
    EXPECT_FALSE(printf_format::SameConversions(L"%s and %s", L"%s"));
    EXPECT_FALSE(printf_format::SameConversions(L"%s", L"%d"));
    EXPECT_FALSE(printf_format::SameConversions(L"%s", L"%ls"));
}
