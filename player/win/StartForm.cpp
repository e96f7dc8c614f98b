#include "player/win/StartForm.h"

#include "app/SaverUtils.h"
#include "multilan/MultiLan.h"
#include "player/win/SaverMainForm.h"

#include <windows.h>

namespace qb {

TStartForm::~TStartForm() {
    if (running_) {
        UINT previous = 0;
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
    }
}

void TStartForm::Design() {
    SetText("Quenbrook");
    SetBorderStyle(ui::BorderStyle::None);
    SetStayOnTop(true);
    SetCentered(true);
    MultiLan1 = &Make<TMultiLan>("MultiLan1");
    OnShow = [this](ui::Component&) { FormShow(); };
    OnMessage = [](unsigned msg, uintptr_t wp, intptr_t, intptr_t& result) {
        const auto command = wp & 0xFFF0;
        if (msg == WM_SYSCOMMAND && (command == SC_SCREENSAVE || command == SC_CLOSE)) {
            result = 0;
            return true;
        }
        return false;
    };
}

void TStartForm::DoCreate() {
    SetBounds(Left(), Top(), 1, 1);
    UINT previous = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, &previous, 0);
    running_ = true;
    MultiLan1->LoadLanguageFile(SaverUtils::DataDir + "Language.ini");
    ui::Form::DoCreate();
}

void TStartForm::FormShow() {
    {
        auto player = ui::Form::Create<TSaverMainForm>();
        player->ShowModal();
    }
    Close();
}

QB_CLASS_INFO(TStartForm, ui::Form) {}

}  // namespace qb
