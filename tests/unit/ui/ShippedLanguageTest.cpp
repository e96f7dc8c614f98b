#include <gtest/gtest.h>

#include "multilan/LanguageFile.h"
#include "multilan/MultiLan.h"
#include "platform/File.h"
#include "ui/Form.h"

// The language file the program ships: every window gets its lines and every
// message text is there, in both languages where we have them.
namespace qb {
namespace {

#define WINDOW(Name)                                   \
    class Name : public ui::Form {                     \
        QB_CLASS(Name)                                 \
    public:                                            \
        TMultiLan& MultiLan1 = Make<TMultiLan>("MultiLan1"); \
    };                                                 \
    QB_CLASS_INFO(Name, ui::Form) {}
WINDOW(TFlashMainFrm)
WINDOW(TSaverBuildFrm)
WINDOW(TAboutForm)
WINDOW(TStartForm)

std::string ShippedFile() {
    auto data = ReadWholeFile(QB_LANGUAGE_INI);
    EXPECT_TRUE(data) << QB_LANGUAGE_INI;
    return data ? std::string(data->begin(), data->end()) : std::string();
}

class ShippedLanguage : public ::testing::Test {
protected:
    void SetUp() override { TMultiLan::CurrentLanguage = -1; }
    void TearDown() override { TMultiLan::CurrentLanguage = -1; }
};

TEST_F(ShippedLanguage, EveryMessageKeyInBothLanguages) {
    TStartForm start;
    start.MultiLan1.LoadLanguageText(ShippedFile());
    EXPECT_EQ(TMultiLan::CurrentLanguage, 1);
    auto& m = start.MultiLan1;
    EXPECT_EQ(m.Get(TMultiLan::LangNames).Lines(), (std::vector<std::string>{"English", "\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4"}));
    struct {
        const char* key;
        const char* english;
        const char* chinese;  // null: any non-empty text
    } keys[] = {
        {"SaverBuildFrm.str_0", "Please fill in Screen Saver Name ", nullptr},
        {"SaverBuildFrm.str_1", " exists, \r\nReplace it?", nullptr},
        {"SaverBuildFrm.str_2", "Build Error", "\xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC"},
        {"SaverBuildFrm.str_3", "Completed", "\xCD\xEA\xB3\xC9  "},
        {"SaverBuildFrm.str_4", "Build Completed", nullptr},
        {"FlashMainFrm.str_0", "\" is not a Flash Movie Projector", nullptr},
        {"FlashMainFrm.str_1", "At least one Screen Saver Exit Event must be selected!", nullptr},
        {"FlashMainFrm.str_2", "Invalid Music File", nullptr},
        {"FlashMainFrm.str_3", "You'd better insert at least one flash movie.", nullptr},
        {"FlashMainFrm.str_4", "Would like to save any modifies made before exit?", nullptr},
        {"FlashMainFrm.str_5", "Missing Build Files", nullptr},
    };
    for (auto& k : keys) {
        m.SetActiveLanguage(1);
        EXPECT_EQ(m.GetLString(k.key), k.english) << k.key;
        m.SetActiveLanguage(2);
        std::string zh = m.GetLString(k.key);
        if (k.chinese) {
            EXPECT_EQ(zh, k.chinese) << k.key;
        }
        EXPECT_NE(zh, k.english) << k.key << " has no Chinese text";
    }
}

TEST_F(ShippedLanguage, EachWindowGetsItsOwnLines) {
    TFlashMainFrm editor;
    TSaverBuildFrm builder;
    TAboutForm about;
    TStartForm start;
    std::string text = ShippedFile();
    for (TMultiLan* m : {&editor.MultiLan1, &builder.MultiLan1, &about.MultiLan1, &start.MultiLan1}) {
        m->LoadLanguageText(text);
        EXPECT_FALSE(m->Get(TMultiLan::Captions).Empty()) << m->Owner()->ClassName();
        EXPECT_FALSE(m->Get(TMultiLan::Fonts).Empty()) << m->Owner()->ClassName();
    }
    // The builder's close button, its window font in Chinese.
    builder.MultiLan1.SetActiveLanguage(2);
    EXPECT_EQ(builder.MultiLan1.SelectLanguageText(builder.MultiLan1.Get(TMultiLan::Captions).Value("TSaverBuildFrm.btnCancel")),
              "\xB9\xD8\xB1\xD5(&C)");
    EXPECT_EQ(builder.GetFont().Charset(), 134);
    EXPECT_EQ(editor.GetFont().Charset(), 134);  // switched with the builder
    editor.MultiLan1.SetActiveLanguage(1);
    EXPECT_EQ(editor.GetFont().Charset(), 1);
    EXPECT_EQ(editor.GetText(), "Quenbrook");

    // No line belongs to a window the program does not have.
    LanguageFile file(text);
    for (const char* section : {"captions", "hints", "fonts", "fontsizes", "charsets", "multilines", "otherstrings", "collections"})
        for (auto& line : file.Section(section)) {
            bool known = false;
            for (const char* w : {"TFlashMainFrm.", "TSaverBuildFrm.", "TAboutForm.", "TStartForm."})
                known = known || line.rfind(w, 0) == 0;
            EXPECT_TRUE(known) << section << ": " << line;
        }
}

}  // namespace
}  // namespace qb
