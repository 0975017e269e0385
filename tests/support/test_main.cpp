// Test entry point: wide paths go through the C library's multibyte conversion natively, so use UTF-8.
#include <gtest/gtest.h>
#include <locale.h>

int main(int argc, char** argv) {
#ifndef _WIN32
    if (!setlocale(LC_CTYPE, "C.UTF-8")) setlocale(LC_CTYPE, "");
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
