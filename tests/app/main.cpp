// The program's window runs headless here, whatever display the machine has.
#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("TAVRIN_HEADLESS", "1", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
