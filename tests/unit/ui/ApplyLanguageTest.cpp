#include <gtest/gtest.h>

#include "TestForms.h"
#include "app/Errors.h"
#include "multilan/MultiLan.h"

namespace qb {
namespace {

using test::TTestFrm;
using T = TMultiLan;

class ApplyLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TMultiLan::CurrentLanguage = -1;
        f = ui::Form::Create<TTestFrm>();
        m = f->MultiLan1;
    }
    void TearDown() override { TMultiLan::CurrentLanguage = -1; }
    void Apply(T::Table t, std::initializer_list<std::string> lines, int language = 1) {
        m->Set(t, lines);
        m->SetActiveLanguage(language);
    }
    std::unique_ptr<TTestFrm> f;
    TMultiLan* m = nullptr;
};

TEST_F(ApplyLanguageTest, CaptionsAndHintsReachWindowAndComponents) {
    Apply(T::Captions, {"TTestFrm.TTestFrm=Win\x19\x1A{Fen", "ttestfrm.Label1=Line\x19\x1Atwo{Zwei",
                        "TTestFrm.Label1=ignored{ignored", "TTestFrm.Panel1.Label2=dotted", "Other.Label1=x",
                        "TTestFrm.Edit1=no caption property", "TTestFrm.Nobody=x", "TTestFrm.Button1=&OK{&Ja"});
    // The window's own caption keeps the escape; a label's becomes two lines.
    EXPECT_EQ(f->GetText(), "Win\x19\x1A");
    EXPECT_EQ(f->Label1->GetText(), "Line\r\ntwo");
    EXPECT_EQ(f->Label2->GetText(), "");
    EXPECT_EQ(f->Edit1->GetText(), "");
    EXPECT_EQ(f->Button1->GetText(), "&OK");
    m->SetActiveLanguage(2);
    EXPECT_EQ(f->GetText(), "Fen");
    EXPECT_EQ(f->Label1->GetText(), "Zwei");

    Apply(T::Hints, {"TTestFrm.TTestFrm=h\x19\x1A", "TTestFrm.Button1=b\x19\x1A"});
    EXPECT_EQ(f->Hint(), "h\x19\x1A");
    EXPECT_EQ(f->Button1->Hint(), "b\r\n");
}

TEST_F(ApplyLanguageTest, FontsWalkDescendantsThatFollowTheirParent) {
    Apply(T::Fonts, {"TTestFrm.TTestFrm=SimSun"});
    EXPECT_EQ(f->GetFont().Name(), "SimSun");
    EXPECT_EQ(f->Label1->GetFont().Name(), "SimSun");
    EXPECT_NE(f->Panel1->GetFont().Name(), "SimSun");  // its ParentFont is clear
    EXPECT_EQ(f->Label2->GetFont().Name(), "SimSun");  // still reached below it

    Apply(T::Fonts, {"TTestFrm.Panel1=Arial"});
    EXPECT_EQ(f->Panel1->GetFont().Name(), "Arial");
    EXPECT_EQ(f->Label2->GetFont().Name(), "Arial");

    Apply(T::FontSizes, {"TTestFrm.TTestFrm=10", "TTestFrm.Label1=big", "TTestFrm.Edit1=0x0C"});
    EXPECT_EQ(f->GetFont().Size(), 10);
    EXPECT_EQ(f->Label1->GetFont().Size(), 9);
    EXPECT_EQ(f->Edit1->GetFont().Size(), 12);

    struct {
        const char* ident;
        int charset;
    } charsets[] = {{"GB2312_CHARSET", 134}, {"gb2312_charset", 134}, {"RUSSIAN_CHARSET", 204}, {"WHATEVER", 1}, {"", 1}};
    for (auto& c : charsets) {
        Apply(T::Charsets, {std::string("TTestFrm.Label1=") + c.ident});
        EXPECT_EQ(f->Label1->GetFont().Charset(), c.charset) << c.ident;
    }
}

TEST_F(ApplyLanguageTest, MultilinesReplaceItemsInPlaceOrWhole) {
    int tag1 = 1, tag2 = 2, tag3 = 3;
    f->ListBox1->Items().Add("x", &tag1);
    f->ListBox1->Items().Add("y", &tag2);
    f->ListBox1->Items().Add("z", &tag3);
    Apply(T::Multilines, {"TTestFrm.ListBox1.Items=one,\"two three\",four{eins,zwei,drei"});
    EXPECT_EQ(f->ListBox1->Items().Lines(), (std::vector<std::string>{"one", "two three", "four"}));
    EXPECT_EQ(f->ListBox1->Items().Object(1), &tag2);  // same count: objects stay
    m->SetActiveLanguage(2);
    EXPECT_EQ(f->ListBox1->Items().Lines(), (std::vector<std::string>{"eins", "zwei", "drei"}));

    Apply(T::Multilines, {"TTestFrm.ListBox1.Items=a,,\"b\"\"c\"", "TTestFrm.Edit1.Text=not a list"});
    EXPECT_EQ(f->ListBox1->Items().Lines(), (std::vector<std::string>{"a", "", "b\"c"}));
    EXPECT_EQ(f->ListBox1->Items().Object(2), &tag3);

    // Another count: the list ends with exactly the new items.
    Apply(T::Multilines, {"TTestFrm.ListBox1.Items=one,two three,four"});
    EXPECT_EQ(f->ListBox1->Items().Lines(), (std::vector<std::string>{"one", "two", "three", "four"}));
    EXPECT_EQ(f->ListBox1->Items().Object(0), nullptr);
    Apply(T::Multilines, {"TTestFrm.ListBox1.Items=x"});
    EXPECT_EQ(f->ListBox1->Items().Lines(), (std::vector<std::string>{"x"}));
}

TEST_F(ApplyLanguageTest, OtherStringsSetStringPropertiesOnly) {
    Apply(T::OtherStrings, {"TTestFrm.Edit1.Text=NewSaver\x19\x1A", "TTestFrm.Grid1.Count=7",
                            "TTestFrm.Grid1.Columns=x", "TTestFrm.TTestFrm.Caption=no", "TTestFrm.Edit1.Missing=x"});
    EXPECT_EQ(f->Edit1->GetText(), "NewSaver\x19\x1A");
    EXPECT_EQ(f->GetText(), "Test");
}

TEST_F(ApplyLanguageTest, CollectionsReachItemsDirectlyAndThroughAnObject) {
    Apply(T::Collections, {"TTestFrm.Grid1.Columns-1+.Caption=Second{Zweite", "TTestFrm.Grid1.Header.Sections-0+xCaption=Head",
                           "TTestFrm.Nobody.Columns-x+.Caption=skipped", "TTestFrm.Grid1.Nothing-x+.Caption=skipped"});
    EXPECT_EQ(static_cast<test::Column&>(f->Grid1->Columns().Item(1)).Caption(), "Second");
    EXPECT_EQ(static_cast<test::Column&>(f->Grid1->GetHeader().Sections().Item(0)).Caption(), "Head");
}

TEST_F(ApplyLanguageTest, BadCollectionIndexRaisesAndStopsTheRest) {
    for (const char* bad : {"TTestFrm.Grid1.Columns-9+.Caption=x", "TTestFrm.Grid1.Columns-one+.Caption=x",
                            "TTestFrm.Grid1.Columns-+.Caption=x"}) {
        EXPECT_THROW(m->Set(T::Collections, {bad, "TTestFrm.Grid1.Columns-0+.Caption=after"}), Exception) << bad;
        EXPECT_THROW(m->SetActiveLanguage(1), Exception) << bad;
        EXPECT_EQ(static_cast<test::Column&>(f->Grid1->Columns().Item(0)).Caption(), "") << bad;
        EXPECT_EQ(f->changes, 0) << "the change event comes only after a complete application";
    }
}

TEST_F(ApplyLanguageTest, TableSettersApplyOutsideLoadingOnly) {
    m->SetActiveLanguage(1);
    f->changes = 0;
    m->Set(T::Captions, {"TTestFrm.Label1=now"});
    EXPECT_EQ(f->Label1->GetText(), "now");
    EXPECT_EQ(f->changes, 1);
    m->Set(T::LangNames, {"English"});  // names are never applied
    EXPECT_EQ(f->changes, 1);
    m->SetActiveLanguage(1);  // the same number applies again
    EXPECT_EQ(f->changes, 2);
}

TEST_F(ApplyLanguageTest, DesignModeAppliesTextsButNoEventOrWalk) {
    m->SetDesigning(true);
    Apply(T::Fonts, {"TTestFrm.TTestFrm=Fixedsys"}, 2);
    EXPECT_EQ(f->GetFont().Name(), "Fixedsys");
    EXPECT_NE(f->Label2->GetFont().Name(), "Fixedsys");
    EXPECT_EQ(f->changes, 0);
    EXPECT_EQ(TMultiLan::CurrentLanguage, -1);
}

TEST_F(ApplyLanguageTest, OwnerThatIsNoWindowFails) {
    ui::Component holder;
    auto& lonely = holder.Make<TMultiLan>("MultiLan1");
    EXPECT_THROW(lonely.SetActiveLanguage(1), Exception);
}

}  // namespace
}  // namespace qb
