// A language file of any bytes, read and applied by a window with labels,
// lists, a nested panel and a collection: nothing but the documented error
// (a bad collection index) may come out of it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/Errors.h"
#include "tests/unit/ui/TestForms.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qb;
    TMultiLan::CurrentLanguage = -1;
    auto form = ui::Form::Create<test::TTestFrm>();
    try {
        form->MultiLan1->LoadLanguageText(std::string_view(reinterpret_cast<const char*>(data), size));
        for (int language = 0; language <= 3; ++language) form->MultiLan1->SetActiveLanguage(language);
        (void)form->MultiLan1->GetLString("TestFrm.str_0");
    } catch (const Exception&) {
    }
    return 0;
}
