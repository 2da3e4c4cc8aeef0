// INI values found as the private-profile functions find them, in text decoded by the caller.
#include <gtest/gtest.h>

#include <string>

#include "platform/ini_text.h"

namespace {

using platform::FindIniValue;

TEST(IniText, SectionsAndKeysMatchWithoutCaseAndValuesAreTrimmedAndUnquoted)
{
    const std::wstring text = L"; note\r\n[Other]\r\nname=no\r\n  [ Theme ]  \r\n"
                              L"Name =  蓝色主题 \r\nquoted=\" a \"\r\nsingle='b'\r\nhalf=\"c\r\nbare\r\nempty=\r\n";
    EXPECT_EQ(FindIniValue(text, L"theme", L"NAME"), L"蓝色主题");
    EXPECT_EQ(FindIniValue(text, L"theme", L"quoted"), L" a ");
    EXPECT_EQ(FindIniValue(text, L"theme", L"single"), L"b");
    EXPECT_EQ(FindIniValue(text, L"theme", L"half"), L"\"c");
    EXPECT_EQ(FindIniValue(text, L"theme", L"bare"), L"");
    EXPECT_EQ(FindIniValue(text, L"theme", L"empty"), L"");
    EXPECT_EQ(FindIniValue(text, L"theme", L"missing"), std::nullopt);
    EXPECT_EQ(FindIniValue(text, L"none", L"name"), std::nullopt);
    EXPECT_EQ(FindIniValue(text, L"other", L"name"), L"no");
}

TEST(IniText, OnlyTheFirstSectionOfANameAndTheFirstKeyCount)
{
    const std::wstring text = L"[s]\nk=1\nk=2\n[t]\nj=3\n[s]\nk=4\nm=5\n";
    EXPECT_EQ(FindIniValue(text, L"s", L"k"), L"1");
    EXPECT_EQ(FindIniValue(text, L"s", L"m"), std::nullopt);
    EXPECT_EQ(FindIniValue(text, L"t", L"j"), L"3");
}

TEST(IniText, ALongValueIsFoundWhole)
{
    const std::wstring value(8 * 1024 * 1024, L'x');
    EXPECT_EQ(FindIniValue(L"[update]\r\nmsg=" + value + L"\r\nend=1\r\n", L"update", L"msg"), value);
}

} // namespace
