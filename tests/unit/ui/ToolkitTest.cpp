#include <gtest/gtest.h>

#include "app/Errors.h"
#include "ui/Form.h"
#include "ui/StdControls.h"
#include "ui/Text.h"

namespace qb::ui {
namespace {

// Records construction, loading and destruction order.
class Probe : public Component {
    QB_CLASS(Probe)
public:
    explicit Probe(std::vector<std::string>* log = nullptr) : log_(log) {}
    ~Probe() override {
        if (log_) log_->push_back("free " + Name());
    }
    Probe* other = nullptr;
    bool loadingSeen = false;

protected:
    void Loaded() override {
        if (log_) log_->push_back("loaded " + Name());
    }
    void Notification(Component& c) override {
        if (&c == other) other = nullptr;
    }

private:
    std::vector<std::string>* log_;
};
QB_CLASS_INFO(Probe, Component) {}

TEST(Components, OwnerFreesLastFirstAndNotifiesReferences) {
    std::vector<std::string> log;
    Probe outside;
    {
        Component owner;
        owner.BeginLoading();
        auto& a = owner.Make<Probe>("A", &log);
        auto& b = owner.Make<Probe>("B", &log);
        EXPECT_TRUE(a.Loading());
        owner.EndLoading();
        EXPECT_FALSE(b.Loading());
        EXPECT_EQ(owner.FindComponent("b"), &b);
        EXPECT_EQ(owner.FindComponent("C"), nullptr);
        EXPECT_EQ(owner.FindComponent(""), nullptr);
        b.other = &a;  // siblings hear of each other's end
        outside.other = &b;
        outside.FreeNotification(b);
        owner.Destroy(a);
        EXPECT_EQ(b.other, nullptr);
        EXPECT_EQ(owner.ComponentCount(), 1);
        owner.Make<Probe>("C", &log);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"loaded A", "loaded B", "free A", "free C", "free B"}));
    EXPECT_EQ(outside.other, nullptr);
}

TEST(Components, PublishedPropertiesByNameAndKind) {
    Form f;
    auto& e = f.Make<Edit>("Edit1");
    auto& l = f.Make<Label>("Label1");
    const PropInfo* text = e.FindProperty("text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->kind, PropKind::String);
    text->setString(e, "hello");
    EXPECT_EQ(e.GetText(), "hello");
    EXPECT_EQ(e.FindProperty("Caption"), nullptr);
    EXPECT_EQ(l.FindProperty("Caption")->kind, PropKind::String);
    EXPECT_EQ(l.FindProperty("Font")->kind, PropKind::Object);
    EXPECT_EQ(l.FindProperty("Font")->getObject(l), &l.GetFont());
    EXPECT_EQ(l.FindProperty("ParentFont")->kind, PropKind::Boolean);
    EXPECT_EQ(l.FindProperty("Left")->kind, PropKind::Integer);
    const PropInfo* cursor = l.FindProperty("Cursor");
    ASSERT_EQ(cursor->kind, PropKind::Enumeration);
    EXPECT_EQ(cursor->enumNames.at(crHandPoint), "crHandPoint");
    cursor->setInt(l, crHandPoint);
    EXPECT_EQ(l.Cursor(), crHandPoint);
    EXPECT_EQ(l.ClassName(), "Label");
    EXPECT_TRUE(l.Class().InheritsFrom(Control::StaticClass()));
    EXPECT_TRUE(l.Class().InheritsFrom(WinControl::StaticClass()));  // labels have windows here
}

TEST(Controls, ChildOrderAndParentFont) {
    Form f;
    auto& p = f.Make<Panel>("P");
    auto& a = f.Make<Label>("A");
    auto& b = f.Make<Label>("B");
    p.SetParent(&f);
    b.SetParent(&p);
    a.SetParent(&p);
    ASSERT_EQ(p.ControlCount(), 2);
    EXPECT_EQ(&p.ControlAt(0), &b);
    EXPECT_EQ(&p.ControlAt(1), &a);

    a.SetParentFont(false);
    f.GetFont().SetName("Arial");
    f.GetFont().SetCharset(134);
    EXPECT_EQ(b.GetFont().Name(), "Arial");  // through the panel
    EXPECT_EQ(b.GetFont().Charset(), 134);
    EXPECT_NE(a.GetFont().Name(), "Arial");
    b.SetParent(&f);
    EXPECT_EQ(&f.ControlAt(1), &b);
    f.Destroy(p);  // a panel's going leaves no dangling child pointers
    EXPECT_EQ(f.ControlCount(), 1);
}

TEST(Strings, CommaTextAndKeys) {
    struct {
        const char* text;
        std::vector<std::string> items;
    } cases[] = {
        {"a,b c", {"a", "b", "c"}},
        {"a,\"b c\"", {"a", "b c"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"  a , b  ", {"a", "b"}},
        {"\"x\"\"y\",z", {"x\"y", "z"}},
        {"\"open", {"open"}},
        {"", {}},
        {"\xD6\xD0\xCE\xC4,b", {"\xD6\xD0\xCE\xC4", "b"}},
    };
    for (auto& c : cases) EXPECT_EQ(ParseCommaText(c.text), c.items) << c.text;

    Strings batch{"a", "b"};
    int told = 0;
    batch.OnChange = [&] { ++told; };
    batch.BeginUpdate();
    batch.Set(0, "x");
    batch.Add("c");
    EXPECT_EQ(told, 0);
    batch.EndUpdate();
    EXPECT_EQ(told, 1);
    batch.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(told, 1);

    Strings s{"Key=v1", "KEY=v2", "plain", "=empty", "a=b=c"};
    EXPECT_EQ(s.Value("key"), "v1");
    EXPECT_EQ(s.Value("a"), "b=c");
    EXPECT_EQ(s.Value(""), "empty");
    EXPECT_EQ(s.IndexOfName("plain"), -1);
    EXPECT_THROW(s[9], Exception);
    s.SetText("one\r\ntwo\nthree\rfour");
    EXPECT_EQ(s.Count(), 4);
}

TEST(Forms, CloseQueryDecidesAndModalResultEndsTheLoop) {
    Form f;
    bool allow = false;
    int asked = 0;
    f.OnCloseQuery = [&](Form&, bool& can) {
        ++asked;
        can = allow;
    };
    f.Show();
    f.Close();
    EXPECT_TRUE(f.Visible());
    allow = true;
    f.Close();
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(asked, 2);

    auto& ok = f.Make<Button>("OK");
    ok.SetParent(&f);
    ok.SetModalResult(mrOk);
    ok.Click();
    EXPECT_EQ(f.GetModalResult(), mrOk);
}

TEST(Controls, RadioGroupMakesOneButtonPerItem) {
    Form f;
    auto& g = f.Make<RadioGroup>("G");
    g.SetParent(&f);
    g.Items().SetCommaText("One,Two,Three");
    g.SetItemIndex(1);
    ASSERT_EQ(g.ButtonCount(), 3);
    EXPECT_EQ(g.ButtonAt(2).GetText(), "Three");
    EXPECT_TRUE(g.ButtonAt(1).GetChecked());
    g.Items().Set(0, "Uno");
    EXPECT_EQ(g.ButtonAt(0).GetText(), "Uno");
    g.Items().SetCommaText("A");
    EXPECT_EQ(g.ButtonCount(), 1);
    EXPECT_EQ(g.ItemIndex(), -1);
}

TEST(Controls, MultiSelectList) {
    Form f;
    auto& list = f.Make<ListBox>("FlashListBox");
    list.SetMultiSelect(true);
    list.Items().SetCommaText("a,b,c,d");
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    EXPECT_EQ(list.SelCount(), 2);
    list.SelectionFromPeer({0, 2}, 2);
    EXPECT_TRUE(list.Selected(0) && list.Selected(2) && !list.Selected(1));
    EXPECT_EQ(list.ItemIndex(), 2);
    list.Items().Delete(3);
    EXPECT_FALSE(list.Selected(3));

    auto& single = f.Make<ListBox>("One");
    single.Items().SetCommaText("x,y");
    single.SetSelected(1, true);
    EXPECT_EQ(single.ItemIndex(), 1);
    EXPECT_EQ(single.SelCount(), 1);
}

TEST(Controls, TabStripDrivesThePages) {
    Form f;
    auto& tabs = f.Make<TabControl>("TabControl1");
    tabs.SetParent(&f);
    auto& pages = f.Make<PageControl>("MainPageControl");
    pages.SetParent(&f);
    pages.SetBounds(0, 20, 300, 200);
    for (const char* name : {"0", "1", "2"}) f.Make<TabSheet>(name).SetParent(&pages);
    tabs.Tabs().SetCommaText("\"&Flash Files\",&Options,&Sounds");
    EXPECT_EQ(tabs.TabIndex(), 0);
    tabs.OnChange = [&](Component&) { pages.SetActivePageIndex(tabs.TabIndex()); };
    tabs.FromPeer(PeerEvent::SelectionChanged, 2, {});
    EXPECT_EQ(pages.ActivePageIndex(), 2);
    EXPECT_FALSE(pages.Page(0)->Visible());
    EXPECT_TRUE(pages.Page(2)->Visible());
    EXPECT_EQ(pages.Page(2)->Width(), 300);
    pages.SetActivePageIndex(7);  // no such page: nothing changes
    EXPECT_EQ(pages.ActivePageIndex(), 2);
    EXPECT_EQ(tabs.FindProperty("Tabs")->getObject(tabs), &tabs.Tabs());
}

}  // namespace
}  // namespace qb::ui
