#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "driver.h"

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: tarnvel_e2e <path of Tarnvel.exe> [gtest options]\n");
        return 2;
    }
    e2e::setTarnvelExe(e2e::windowsPath(argv[1]));
    e2e::skipWindowManagerWaits();
    return RUN_ALL_TESTS();
}
