// The translation file format, and the shipped translations read the way the library reads
// them.
#include "support/MessageTexts.h"
#include "support/PrintfConversions.h"
#include "tools/orvloc/LocFile.h"

#include "tests/localization/LocalizationFixtures.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const int kShippedLanguages[] = {1041, 1031, 1036, 1025};

std::wstring KeyAsInFile(const char* key) {
    int length = ::MultiByteToWideChar(932, 0, key, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(932, 0, key, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

}  // namespace

TEST(ShippedTranslations, EveryLineParsesAndEveryKeyIsTranslatedInEveryLanguage) {
    std::string bytes = testing_support::ReadFileBytes(loc_test::ShippedTranslations());
    ASSERT_FALSE(bytes.empty());
    loc_file::ParseResult parsed = loc_file::Parse(bytes);
    EXPECT_EQ(parsed.badLines, 0) << "first bad line " << parsed.firstBadLine;

    std::set<std::wstring> keys;
    for (const char* key : texts::AllKeys()) keys.insert(KeyAsInFile(key));
    ASSERT_EQ(keys.size(), texts::AllKeys().size());
    EXPECT_TRUE(keys.count(L"When confirming the renamed file name, set from \u201C"
                           L"Environmental settings \u201D in %s."))
        << "the Shift-JIS marks are the typographic quotation marks";

    for (int language : kShippedLanguages) {
        ASSERT_TRUE(parsed.sections.count(language)) << language;
        const loc_file::Entries& entries = parsed.sections.at(language);
        for (const std::wstring& key : keys) {
            auto entry = entries.find(key);
            ASSERT_NE(entry, entries.end()) << language << " lacks a key";
            EXPECT_FALSE(entry->second.empty()) << language;
        }
        for (const auto& [key, translation] : entries) {
            EXPECT_TRUE(keys.count(key)) << language << ": entry for a key the program does not have";
        }
    }
}

TEST(ShippedTranslations, EveryTranslationHasTheConversionsOfItsKeyInOrder) {
    loc_file::ParseResult parsed = loc_file::Parse(testing_support::ReadFileBytes(loc_test::ShippedTranslations()));
    int formatted = 0;
    for (const auto& [language, entries] : parsed.sections) {
        for (const auto& [key, translation] : entries) {
            EXPECT_EQ(printf_format::Conversions(translation), printf_format::Conversions(key))
                << language << " translation of a key with " << printf_format::Conversions(key).size()
                << " conversions";
            if (!printf_format::Conversions(key).empty()) ++formatted;
        }
    }
    EXPECT_EQ(formatted, 10 * 4) << "ten formatted keys in four languages";
}

TEST(LocFile, ReadsSectionsEntriesAndEscapes) {
    loc_file::ParseResult parsed = loc_file::Parse(
        "\xEF\xBB\xBF# comment\r\n"
        "\r\n"
        "[1041]\r\n"
        "  \"Key\"   =   \"Value\"  \r\n"
        "\"Two\\nlines\" = \"a\\\\b \\\"q\\\" \\t \\u201Cx\\u201D\\r\\n\"\n"
        "\"A = B\" = \"=\"\n"
        "[0x0407]\n"
        "\"Key\" = \"Wert\"\n"
        "\"Empty\" = \"\"\n");
    EXPECT_EQ(parsed.badLines, 0);
    ASSERT_EQ(parsed.sections.size(), 2u);
    const loc_file::Entries& japanese = parsed.sections[1041];
    EXPECT_EQ(japanese.at(L"Key"), L"Value");
    EXPECT_EQ(japanese.at(L"Two\nlines"), L"a\\b \"q\" \t \u201Cx\u201D\r\n");
    EXPECT_EQ(japanese.at(L"A = B"), L"=");
    EXPECT_EQ(parsed.sections[1031].at(L"Key"), L"Wert");
    EXPECT_EQ(parsed.sections[1031].at(L"Empty"), L"");
}

TEST(LocFile, SkipsAndCountsLinesThatDoNotParse) {
    struct Case {
        const char* line;
    } cases[] = {
        {"\"Key\" = \"unterminated"}, {"\"Key\" \"Value\""},    {"Key = Value"},
        {"\"Key\" = \"Value\" extra"}, {"\"Bad \\x escape\" = \"v\""}, {"\"K\" = \"\\u12\""},
        {"\"K\" = \"\\u0000\""},       {"[abc]"},                 {"[70000]"},
        {"[1041] tail"},               {"\"\" = \"empty key\""},
    };
    for (const Case& c : cases) {
        loc_file::ParseResult parsed = loc_file::Parse(std::string("[1041]\n\"Good\" = \"g\"\n") + c.line + "\n");
        EXPECT_EQ(parsed.badLines, 1) << c.line;
        EXPECT_EQ(parsed.firstBadLine, 3) << c.line;
        EXPECT_EQ(parsed.sections[1041].at(L"Good"), L"g") << c.line;
    }
    EXPECT_EQ(loc_file::Parse("\"Before any section\" = \"x\"\n").badLines, 1);
}

TEST(LocFile, LaterFilesReplaceEntriesOfTheSameKey) {
    loc_file::Sections merged = loc_file::Parse("[1041]\n\"A\" = \"1\"\n\"B\" = \"2\"\n").sections;
    loc_file::Merge(merged, loc_file::Parse("[1041]\n\"B\" = \"3\"\n[1031]\n\"A\" = \"4\"\n").sections);
    EXPECT_EQ(merged[1041].at(L"A"), L"1");
    EXPECT_EQ(merged[1041].at(L"B"), L"3");
    EXPECT_EQ(merged[1031].at(L"A"), L"4");
}
