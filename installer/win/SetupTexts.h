#pragma once

// The texts of the setup and uninstall windows, in English and Chinese;
// which one shows follows the user's display language. UTF-8; "%s" stands for
// the screensaver's name.
namespace qb::setup::win {

enum class Text {
    SetupTitle, Intro, Folder, Browse, Install, Cancel, BrowseTitle, Done, Failed,
    UninstallTitle, UninstallAsk, UninstallDone, UninstallLeft,
};

const char* Lookup(Text id);

}  // namespace qb::setup::win
