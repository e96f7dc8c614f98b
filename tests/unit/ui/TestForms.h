#pragma once
// Small windows built on the toolkit for the language tests: design data as
// code, like the program's own windows.
#include "multilan/MultiLan.h"
#include "ui/Collection.h"
#include "ui/Form.h"
#include "ui/StdControls.h"

namespace qb::test {

// A collection item with a string property, and a control holding a
// collection directly and one inside an owned object.
class Column : public ui::CollectionItem {
    QB_CLASS(Column)
public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& c) { caption_ = c; }

private:
    std::string caption_;
};

class Header : public ui::Persistent {
    QB_CLASS(Header)
public:
    ui::Collection& Sections() { return sections_; }

private:
    ui::Collection sections_{[] { return std::make_unique<Column>(); }};
};

class Grid : public ui::Panel {
    QB_CLASS(Grid)
public:
    ui::Collection& Columns() { return columns_; }
    Header& GetHeader() { return header_; }
    int Count() const { return 3; }
    void SetCount(int) {}

private:
    ui::Collection columns_{[] { return std::make_unique<Column>(); }};
    Header header_;
};

class TTestFrm : public ui::Form {
    QB_CLASS(TTestFrm)
public:
    TMultiLan* MultiLan1 = nullptr;
    ui::Label* Label1 = nullptr;
    ui::Panel* Panel1 = nullptr;
    ui::Label* Label2 = nullptr;
    ui::ListBox* ListBox1 = nullptr;
    ui::Edit* Edit1 = nullptr;
    ui::Button* Button1 = nullptr;
    Grid* Grid1 = nullptr;
    int changes = 0;

protected:
    void Design() override;
};

class TOtherFrm : public ui::Form {
    QB_CLASS(TOtherFrm)
public:
    TMultiLan* MultiLan1 = nullptr;
    ui::Label* Label1 = nullptr;
    int changes = 0;

protected:
    void Design() override;
};

}  // namespace qb::test
