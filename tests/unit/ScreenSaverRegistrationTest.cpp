#include "platform/ScreenSaverRegistration.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace qb::win {
namespace {

TEST(ScreenSaverRegistration, NamesTheShortPathInBothPlacesAndSwitchesItOn) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
    InstallScreenSaver(self);
    const ScreenSaverSetting now = CurrentScreenSaver();
    EXPECT_EQ(now.SystemIni, ShortPath(self));
    EXPECT_EQ(now.Registry, ShortPath(self));
    EXPECT_LE(ShortPath(self).size(), std::string(self).size());
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_TRUE(active);
}

}  // namespace
}  // namespace qb::win
