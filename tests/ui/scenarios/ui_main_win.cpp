// The UI scenarios run one after another: they share the desktop, and the program allows one
// instance only.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
