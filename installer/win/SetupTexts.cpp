#include "installer/win/SetupTexts.h"

#include <windows.h>

namespace qb::setup::win {

namespace {

struct Pair {
    const char* english;
    const char* chinese;
};

constexpr Pair kTexts[] = {
    {"%s Setup", "%s 安装程序"},
    {"This installs the screensaver \"%s\" and makes it your screensaver.",
     "将安装屏保“%s”并设为当前屏幕保护程序。"},
    {"Destination folder:", "安装目录："},
    {"Browse...", "浏览..."},
    {"&Install", "安装(&I)"},
    {"Cancel", "取消"},
    {"Choose the folder for the screensaver", "请选择屏保的安装目录"},
    {"\"%s\" is installed and is now your screensaver.", "屏保“%s”已安装并已设为当前屏幕保护程序。"},
    {"Setup could not finish:", "安装失败："},
    {"Uninstall %s", "卸载 %s"},
    {"Remove the screensaver \"%s\" and all of its files?", "要删除屏保“%s”及其全部文件吗？"},
    {"\"%s\" has been removed.", "屏保“%s”已删除。"},
    {"Some files could not be removed:", "以下文件无法删除："},
};

bool Chinese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE; }

}  // namespace

const char* Lookup(Text id) {
    const Pair& p = kTexts[static_cast<int>(id)];
    return Chinese() ? p.chinese : p.english;
}

}  // namespace qb::setup::win
