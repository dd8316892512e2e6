#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char** argv) {
    // The component loader looks beside the running program.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
