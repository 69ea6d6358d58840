// The fixed tables behind port opening: baud codes and device names.
#include <gtest/gtest.h>

#include <cstdlib>

#include "reader/opening.h"
#include "platform/device_names.h"

using namespace quillet;

TEST(BaudCodes, NineRatesAndNineSixHundredForOthers) {
    const int32_t rates[] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(baud_code(rates[i]), i + 1) << rates[i];
    EXPECT_EQ(baud_code(14400), 4);
    EXPECT_EQ(baud_code(0), 4);
    EXPECT_FALSE(is_reader_rate(14400));
}

TEST(DeviceNames, WindowsNamesUseTheDeviceNamespaceFromCom10) {
    EXPECT_EQ(windows_device_name(0), "COM1");
    EXPECT_EQ(windows_device_name(8), "COM9");
    EXPECT_EQ(windows_device_name(9), "\\\\.\\COM10");
    EXPECT_EQ(windows_device_name(19), "\\\\.\\COM20");
}

TEST(DeviceNames, PosixNamesFollowTheEnvironment) {
    unsetenv("QUILLET_COM3");
    EXPECT_EQ(posix_device_name(2), "/dev/ttyS2");
    setenv("QUILLET_COM3", "/tmp/reader-pty", 1);
    EXPECT_EQ(posix_device_name(2), "/tmp/reader-pty");
    unsetenv("QUILLET_COM3");
}
