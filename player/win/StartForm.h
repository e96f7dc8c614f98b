#pragma once
#include "ui/Form.h"

namespace qb {

class TMultiLan;

// The screensaver mode's main window, practically invisible: it tells the
// platform that a screensaver runs for as long as it exists, shows the
// full-screen player modally and ends the program when that has closed.
class TStartForm : public ui::Form {
    QB_CLASS(TStartForm)
public:
    ~TStartForm() override;
    TMultiLan* MultiLan1 = nullptr;

protected:
    void Design() override;
    void DoCreate() override;

private:
    void FormShow();
    bool running_ = false;
};

}  // namespace qb
