#include "TestForms.h"

namespace qb::test {

QB_CLASS_INFO(Column, ui::CollectionItem) {
    ui::Published<Column>(info).String("Caption", &Column::Caption, &Column::SetCaption);
}
QB_CLASS_INFO(Header, ui::Persistent) {
    ui::Published<Header>(info).Object("Sections", &Header::Sections);
}
QB_CLASS_INFO(Grid, ui::Panel) {
    ui::Published<Grid>(info)
        .Object("Columns", &Grid::Columns)
        .Object("Header", &Grid::GetHeader)
        .Integer("Count", &Grid::Count, &Grid::SetCount);
}
QB_CLASS_INFO(TTestFrm, ui::Form) {}
QB_CLASS_INFO(TOtherFrm, ui::Form) {}

void TTestFrm::Design() {
    SetText("Test");
    MultiLan1 = &Make<TMultiLan>("MultiLan1");
    MultiLan1->OnChangeLanguage = [this](ui::Component&) { ++changes; };
    MultiLan1->Set(TMultiLan::Fonts, {"TTestFrm.TTestFrm=Courier"});
    Label1 = &Make<ui::Label>("Label1");
    Label1->SetParent(this);
    Panel1 = &Make<ui::Panel>("Panel1");
    Panel1->SetParent(this);
    Panel1->SetParentFont(false);
    Label2 = &Make<ui::Label>("Label2");
    Label2->SetParent(Panel1);
    ListBox1 = &Make<ui::ListBox>("ListBox1");
    ListBox1->SetParent(this);
    Edit1 = &Make<ui::Edit>("Edit1");
    Edit1->SetParent(this);
    Button1 = &Make<ui::Button>("Button1");
    Button1->SetParent(this);
    Grid1 = &Make<Grid>("Grid1");
    Grid1->SetParent(this);
    for (int i = 0; i < 2; ++i) {
        Grid1->Columns().Add();
        Grid1->GetHeader().Sections().Add();
    }
}

void TOtherFrm::Design() {
    MultiLan1 = &Make<TMultiLan>("MultiLan1");
    MultiLan1->OnChangeLanguage = [this](ui::Component&) { ++changes; };
    MultiLan1->Set(TMultiLan::Captions, {"TOtherFrm.Label1=One{Two"});
    Label1 = &Make<ui::Label>("Label1");
    Label1->SetParent(this);
}

}  // namespace qb::test
