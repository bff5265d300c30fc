#ifndef TARNVEL_VERSION_H
#define TARNVEL_VERSION_H
// Read by both the resource compiler and C++, so only plain #defines.
// The strings are narrow literals; C++ code that needs UTF-16 writes
// L"" TARNVEL_PRODUCT_NAME, which concatenates to a wide literal.

#define TARNVEL_PRODUCT_NAME "Tarnvel"
#define TARNVEL_FILE_DESCRIPTION "Tarnvel"
#define TARNVEL_INTERNAL_NAME "Tarnvel"
#define TARNVEL_ORIGINAL_FILENAME "Tarnvel.exe"

#define TARNVEL_VERSION_STRING "0.00.0001"
#define TARNVEL_VERSION_NUMBER 0, 0, 0, 1

#endif
