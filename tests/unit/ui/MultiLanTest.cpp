#include <gtest/gtest.h>

#include "TestForms.h"
#include "multilan/MultiLan.h"

namespace qb {
namespace {

class MultiLanTest : public ::testing::Test {
protected:
    void SetUp() override { TMultiLan::CurrentLanguage = -1; }
    void TearDown() override { TMultiLan::CurrentLanguage = -1; }
};

TEST_F(MultiLanTest, FreshComponentDefaults) {
    TMultiLan m;
    EXPECT_EQ(m.DeliChar(), '{');
    EXPECT_EQ(m.ActiveLanguage(), 0);
    EXPECT_EQ(m.Get(TMultiLan::LangNames).Lines(), (std::vector<std::string>{"lan1", "lan2"}));
    EXPECT_EQ(m.Version(), "1.50.0000");
    for (int t = 0; t < TMultiLan::TableCount; ++t)
        if (t != TMultiLan::LangNames) {
            EXPECT_TRUE(m.Get(TMultiLan::Table(t)).Empty()) << TMultiLan::TableName(TMultiLan::Table(t));
        }
    EXPECT_EQ(m.FindProperty("Version")->getString(m), "1.50.0000");
}

TEST_F(MultiLanTest, SelectLanguageTextPicksTheColumn) {
    struct Case {
        const char* value;
        int language;
        const char* expected;
    } cases[] = {
        {"A{B", 1, "A"}, {"A{B", 2, "B"}, {"A{B", 3, "A"}, {"A{B", 0, "A"}, {"A{B", -4, "A"},
        {"A{", 1, "A"}, {"A{", 2, "A"}, {"{B", 1, ""}, {"{B", 2, "B"},
        {"A{{D", 2, "A"}, {"A{{D", 3, "D"}, {"10", 2, "10"}, {"GB2312_CHARSET", 7, "GB2312_CHARSET"},
        {"", 2, ""},
        // The second byte of a GB2312 character (0x7B here) is no delimiter.
        {"\xB0{x{\xD6\xD0", 1, "\xB0{x"}, {"\xB0{x{\xD6\xD0", 2, "\xD6\xD0"},
        {"a=b{c=d", 2, "c=d"},
    };
    TMultiLan m;
    for (auto& c : cases) {
        m.SetActiveLanguage(c.language);
        EXPECT_EQ(m.SelectLanguageText(c.value), c.expected) << c.value << " in language " << c.language;
    }
    m.SetDeliChar('|');
    m.SetActiveLanguage(2);
    EXPECT_EQ(m.SelectLanguageText("A|B{C"), "B{C");
}

TEST_F(MultiLanTest, DecodeLineBreaksReplacesEachCharacterOnItsOwn) {
    EXPECT_EQ(TMultiLan::DecodeLineBreaks("a\x19\x1A" "b\x1A\x19"), "a\r\nb\n\r");
}

TEST_F(MultiLanTest, GetLStringLooksUpByKeyFirstLineWins) {
    TMultiLan m;
    m.Set(TMultiLan::LStrings, {"SaverBuildFrm.str_1= exists, \x19\x1AReplace it?{ \xD2\xD1\xB4\xE6\xD4\xDA",
                                "saverbuildfrm.STR_1=second{second", "FlashMainFrm.str_5=Missing Build Files{",
                                "Eq.str_0=a=b{c"});
    m.SetActiveLanguage(1);
    EXPECT_EQ(m.GetLString("SaverBuildFrm.str_1"), " exists, \r\nReplace it?");
    EXPECT_EQ(m.GetLString("SAVERBUILDFRM.str_1"), " exists, \r\nReplace it?");
    EXPECT_EQ(m.GetLString("Eq.str_0"), "a=b");
    m.SetActiveLanguage(2);
    EXPECT_EQ(m.GetLString("SaverBuildFrm.str_1"), " \xD2\xD1\xB4\xE6\xD4\xDA");
    EXPECT_EQ(m.GetLString("FlashMainFrm.str_5"), "Missing Build Files");
    EXPECT_EQ(m.GetLString("No.such_key"), "");
}

TEST_F(MultiLanTest, SwitchingOneWindowSwitchesEveryLiveWindowOnce) {
    auto a = ui::Form::Create<test::TOtherFrm>();
    auto b = ui::Form::Create<test::TOtherFrm>();
    a->MultiLan1->SetActiveLanguage(1);
    EXPECT_EQ(TMultiLan::CurrentLanguage, 1);
    EXPECT_EQ(b->Label1->GetText(), "One");
    a->changes = b->changes = 0;

    b->MultiLan1->SetActiveLanguage(2);
    EXPECT_EQ(TMultiLan::CurrentLanguage, 2);
    EXPECT_EQ(a->Label1->GetText(), "Two");
    EXPECT_EQ(b->Label1->GetText(), "Two");
    EXPECT_EQ(a->changes, 1);
    EXPECT_EQ(b->changes, 1);

    // A window made later shows the language as soon as its design is read.
    auto c = ui::Form::Create<test::TOtherFrm>();
    EXPECT_EQ(c->MultiLan1->ActiveLanguage(), 2);
    EXPECT_EQ(c->Label1->GetText(), "Two");

    // Freed windows leave the list.
    size_t before = TMultiLan::MultiLanList.size();
    c.reset();
    EXPECT_EQ(TMultiLan::MultiLanList.size(), before - 1);
    a->MultiLan1->SetActiveLanguage(1);
    EXPECT_EQ(b->Label1->GetText(), "One");
}

TEST_F(MultiLanTest, DesignDataIsStoredNotAppliedUntilLoaded) {
    auto f = ui::Form::Create<test::TOtherFrm>();
    // No language chosen: the design tables are kept, nothing applied.
    EXPECT_EQ(f->Label1->GetText(), "");
    EXPECT_EQ(f->changes, 0);
    EXPECT_EQ(TMultiLan::CurrentLanguage, -1);
}

TEST_F(MultiLanTest, ComponentWithoutOwnerAppliesNothing) {
    TMultiLan m;
    int events = 0;
    m.OnChangeLanguage = [&](ui::Component&) { ++events; };
    m.SetActiveLanguage(2);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(TMultiLan::CurrentLanguage, -1);
}

TEST_F(MultiLanTest, AssignCopiesEverythingButTheEvent) {
    TMultiLan src;
    src.SetDeliChar('|');
    src.SetLanguage("free");
    for (int t = 0; t < TMultiLan::TableCount; ++t)
        src.Set(TMultiLan::Table(t), {std::string(TMultiLan::TableName(TMultiLan::Table(t))) + "=x"});
    src.SetActiveLanguage(2);
    src.OnChangeLanguage = [](ui::Component&) {};

    TMultiLan dst;
    dst.Assign(src);
    EXPECT_EQ(dst.DeliChar(), '|');
    EXPECT_EQ(dst.ActiveLanguage(), 2);
    EXPECT_EQ(dst.Language(), "free");
    for (int t = 0; t < TMultiLan::TableCount; ++t)
        EXPECT_EQ(dst.Get(TMultiLan::Table(t)).Lines(), src.Get(TMultiLan::Table(t)).Lines());
    EXPECT_FALSE(dst.OnChangeLanguage);

    ui::Strings other{"untouched"};
    other.Assign(src);  // another class: nothing happens, nothing is raised
    EXPECT_EQ(other.Lines(), std::vector<std::string>{"untouched"});
}

TEST_F(MultiLanTest, ClearTablesKeepsNamesAndStoredOnlyTables) {
    TMultiLan m;
    for (int t = 0; t < TMultiLan::TableCount; ++t) m.Set(TMultiLan::Table(t), {"k=v"});
    m.ClearTables();
    for (auto t : {TMultiLan::Captions, TMultiLan::Fonts, TMultiLan::FontSizes, TMultiLan::Charsets, TMultiLan::Hints,
                   TMultiLan::Multilines, TMultiLan::OtherStrings, TMultiLan::Collections, TMultiLan::LStrings})
        EXPECT_TRUE(m.Get(t).Empty());
    for (auto t : {TMultiLan::LangNames, TMultiLan::DisplayLabels, TMultiLan::DlgsCaptions, TMultiLan::DoNotTranslage,
                   TMultiLan::ExcludeProperties, TMultiLan::Locales})
        EXPECT_EQ(m.Get(t).Count(), 1);
}

}  // namespace
}  // namespace qb
