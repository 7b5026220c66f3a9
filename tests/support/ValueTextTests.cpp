#include "support/ValueText.h"

#include <gtest/gtest.h>

TEST(ValueText, TextToIntAcceptsOnlyPlainDigitsThatFit) {
    struct Case {
        const wchar_t* text;
        int result;
        int value;  // expected value, or the untouched sentinel 77
    } cases[] = {
        {L"0", 0, 0},           {L"42", 0, 42},         {L"007", 0, 7},      {L"2147483647", 0, 2147483647},
        {L"2147483648", 160, 77}, {L"-1", 160, 77},      {L" 1", 160, 77},    {L"1 ", 160, 77},
        {L"", 160, 77},         {L"+1", 160, 77},       {L"1a", 160, 77},    {L"99999999999999999999", 160, 77},
    };
    for (const Case& c : cases) {
        int value = 77;
        EXPECT_EQ(TextToInt(c.text, value), c.result) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(ValueText, TextToBoolIgnoresCaseAndRejectsOtherWords) {
    struct Case {
        const wchar_t* text;
        int result;
        bool value;  // expected when accepted
    } cases[] = {
        {L"true", 0, true},    {L"TRUE", 0, true},    {L"1", 0, true},      {L"False", 0, false},
        {L"0", 0, false},      {L"yes", 160, false},  {L"-1", 160, false},  {L"", 160, false},
        {L"01", 160, false},   {L" true", 160, false},
    };
    for (const Case& c : cases) {
        bool value = !c.value;
        EXPECT_EQ(TextToBool(c.text, value), c.result) << c.text;
        if (c.result == 0) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(ValueText, TextToBoolLeavesOutputUntouchedOnRejection) {
    bool value = true;
    EXPECT_EQ(TextToBool(L"yes", value), 160);
    EXPECT_TRUE(value);
    value = false;
    EXPECT_EQ(TextToBool(L"no", value), 160);
    EXPECT_FALSE(value);
}

TEST(ValueText, NumbersAndSwitchesBecomeText) {
    std::wstring text;
    EXPECT_EQ(IntToText(-12, text), 0);
    EXPECT_EQ(text, L"-12");
    EXPECT_EQ(BoolToText(true, text), 0);
    EXPECT_EQ(text, L"1");
    EXPECT_EQ(BoolToText(false, text), 0);
    EXPECT_EQ(text, L"0");
}

TEST(ValueText, DrivePathNeedsLetterColonBackslashAndOneMore) {
    EXPECT_TRUE(IsDrivePath(L"d:\\x"));
    EXPECT_TRUE(IsDrivePath(L"C:\\Scans"));
    EXPECT_FALSE(IsDrivePath(L"C:\\"));
    EXPECT_FALSE(IsDrivePath(L"\\\\server\\share"));
    EXPECT_FALSE(IsDrivePath(L"1:\\x"));
    EXPECT_FALSE(IsDrivePath(L"C:/x"));
    EXPECT_FALSE(IsDrivePath(L"Scans"));
    EXPECT_FALSE(IsAllDigits(L""));
    EXPECT_TRUE(IsAllDigits(L"0123"));
}
