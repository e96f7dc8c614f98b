#include <gtest/gtest.h>

#include "TestForms.h"
#include "app/Errors.h"
#include "multilan/LanguageFile.h"
#include "platform/File.h"
#include "tests/support/TempDir.h"

namespace qb {
namespace {

using test::TOtherFrm;
using test::TTestFrm;
using T = TMultiLan;

class LanguageFileTest : public ::testing::Test {
protected:
    void SetUp() override { TMultiLan::CurrentLanguage = -1; }
    void TearDown() override { TMultiLan::CurrentLanguage = -1; }
};

TEST(LanguageFileSyntax, SectionsLinesAndKeys) {
    LanguageFile file(
        "orphan=1\r\n[A]\r\n;comment\r\n\r\nk=v1\rK=v2\n x = y \nno equals\n[ A]\n[a]\nrepeat=1\n[B]\n[Options]\nDELIMITER=|\n");
    EXPECT_EQ(file.Section("a"), (std::vector<std::string>{"k=v1", "K=v2", " x = y ", "no equals"}));
    EXPECT_TRUE(file.HasSection(" A"));  // blanks are part of the name
    EXPECT_TRUE(file.Section("B").empty());
    std::string v;
    ASSERT_TRUE(file.Value("A", "K", v));
    EXPECT_EQ(v, "v1");
    ASSERT_TRUE(file.Value("a", " x ", v));
    EXPECT_EQ(v, " y ");
    EXPECT_FALSE(file.Value("A", "x", v));
    EXPECT_FALSE(file.Value("A", "repeat", v));
    ASSERT_TRUE(file.Value("options", "delimiter", v));
    EXPECT_EQ(v, "|");
}

TEST_F(LanguageFileTest, EachWindowKeepsItsOwnLinesAndTheChosenLanguage) {
    const char* text =
        "[set]\nlanguage=2\n[options]\nDELIMITER=|\n"
        "[Language names - for internal use only!]\nlang1=English\nlang2=Chinese\nlang1=dup\n"
        "[captions]\nTTestFrm.Label1=Hello|Hallo\nttestfrm.Button1=&Go|&Los\nTOtherFrm.Label1=One|Eins\nTTestFrmX.Label1=no\n"
        "[strings]\nTestFrm.str_0=Msg{x|Nachricht\nOther.str_0=shared\n";
    auto a = ui::Form::Create<TTestFrm>();
    ASSERT_EQ(a->MultiLan1->Get(T::Fonts).Count(), 1);
    a->MultiLan1->LoadLanguageText(text);

    EXPECT_EQ(TMultiLan::CurrentLanguage, 2);
    EXPECT_EQ(a->MultiLan1->ActiveLanguage(), 2);
    EXPECT_EQ(a->MultiLan1->DeliChar(), '|');
    EXPECT_EQ(a->MultiLan1->Get(T::Captions).Count(), 2);
    EXPECT_TRUE(a->MultiLan1->Get(T::Fonts).Empty());  // no [fonts]: the design table is gone
    EXPECT_EQ(a->MultiLan1->Get(T::LangNames).Lines(), (std::vector<std::string>{"English", "Chinese", "English"}));
    EXPECT_EQ(a->MultiLan1->Get(T::LStrings).Count(), 2);  // strings are not filtered
    EXPECT_EQ(a->Label1->GetText(), "Hallo");
    EXPECT_EQ(a->Button1->GetText(), "&Los");
    EXPECT_EQ(a->MultiLan1->GetLString("TestFrm.str_0"), "Nachricht");

    // A second file read later does not change the chosen language.
    auto b = ui::Form::Create<TOtherFrm>();
    b->MultiLan1->LoadLanguageText(std::string(text).replace(std::string(text).find("language=2"), 10, "language=1"));
    EXPECT_EQ(TMultiLan::CurrentLanguage, 2);
    EXPECT_EQ(b->Label1->GetText(), "Eins");
}

TEST_F(LanguageFileTest, WithoutAChosenLanguageTablesAreStoredOnly) {
    for (const char* set : {"", "[set]\nlanguage=two\n", "[set]\nlanguage=\n", "[set]\nlanguage= 2\n"}) {
        auto f = ui::Form::Create<TTestFrm>();
        f->MultiLan1->LoadLanguageText(std::string(set) + "[captions]\nTTestFrm.Label1=Hello{Hallo\n");
        EXPECT_EQ(TMultiLan::CurrentLanguage, -1) << set;
        EXPECT_EQ(f->Label1->GetText(), "") << set;
        EXPECT_EQ(f->MultiLan1->Get(T::Captions).Count(), 1) << set;
        EXPECT_EQ(f->MultiLan1->DeliChar(), '{');
    }
}

TEST_F(LanguageFileTest, MissingFileChangesNothing) {
    test::TempDir dir;
    auto f = ui::Form::Create<TTestFrm>();
    f->MultiLan1->SetDeliChar('|');
    f->MultiLan1->LoadLanguageFile(dir.Path() + "Language.ini");
    f->MultiLan1->LoadLanguageFile(dir.Path());  // a directory
    EXPECT_EQ(f->MultiLan1->Get(T::Fonts).Count(), 1);
    EXPECT_EQ(f->MultiLan1->DeliChar(), '|');
    EXPECT_EQ(TMultiLan::CurrentLanguage, -1);
}

TEST_F(LanguageFileTest, HostileFilesNeverCrash) {
    test::TempDir dir;
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += char((i * 7919) & 0xFF);
    const std::string files[] = {
        "",
        "[captions",  // truncated
        "[set]\nlanguage=1\n[captions]\nTTestFrm.Label1=x{",
        "[set]\nlanguage=1\n[fontsizes]\nTTestFrm.Label1=99999999999999\nTTestFrm.TTestFrm=-5\n[charsets]\nTTestFrm.x=1\n",
        "[set]\nlanguage=1\n[captions]\nTTestFrm.\nTTestFrm.=\n=\nTTestFrm..=x\n[multilines]\nTTestFrm.ListBox1=\"\n",
        "[set]\nlanguage=1\n[options]\nDELIMITER=\n[strings]\n=\n" + binary,
        binary,
        "[set]\nlanguage=1\n[captions]\n" + binary,
    };
    for (size_t i = 0; i < std::size(files); ++i) {
        TMultiLan::CurrentLanguage = -1;
        auto f = ui::Form::Create<TTestFrm>();
        std::string path = dir.Path() + "Language" + std::to_string(i) + ".ini";
        ASSERT_TRUE(WriteWholeFile(path, {reinterpret_cast<const uint8_t*>(files[i].data()), files[i].size()}));
        EXPECT_NO_THROW(f->MultiLan1->LoadLanguageFile(path)) << i;
    }
    // A huge file is read and applied in one pass over its lines.
    std::string huge = "[set]\nlanguage=2\n[captions]\n";
    for (int i = 0; i < 200000; ++i) huge += "TTestFrm.L" + std::to_string(i) + "=x{y\nOther.Label1=z\n";
    huge += "TTestFrm.Label1=x{y\n";
    for (int i = 0; i < 200000; ++i) huge += "[s" + std::to_string(i) + "]\n";
    {
        TMultiLan::CurrentLanguage = -1;
        auto f = ui::Form::Create<TTestFrm>();
        f->MultiLan1->LoadLanguageText(huge);
        EXPECT_EQ(f->Label1->GetText(), "y");
        EXPECT_EQ(f->MultiLan1->Get(T::Captions).Count(), 200001);
    }
    // Bad collection indexes are the one thing that raises.
    TMultiLan::CurrentLanguage = -1;
    auto f = ui::Form::Create<TTestFrm>();
    EXPECT_THROW(f->MultiLan1->LoadLanguageText("[set]\nlanguage=1\n[collections]\nTTestFrm.Grid1.Columns-5+.Caption=x\n"),
                 Exception);
}

}  // namespace
}  // namespace qb
