#pragma once
#include "ui/Form.h"

namespace qb {

class TMultiLan;
class TTransparentButton;
namespace ui {
class ImageList;
class Label;
}  // namespace ui

// The about box: icon, name and version, a welcome line, the web site and
// the support address (a click hands them to the system shell), and OK.
class TAboutForm : public ui::Form {
    QB_CLASS(TAboutForm)
public:
    TMultiLan* MultiLan1 = nullptr;
    ui::ImageList* IconList = nullptr;
    TTransparentButton* Image1 = nullptr;
    ui::Label *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    TTransparentButton *TransparentButton1 = nullptr, *TransparentButton2 = nullptr, *TransparentButton3 = nullptr;

protected:
    void Design() override;
    void DoCreate() override;
};

}  // namespace qb
