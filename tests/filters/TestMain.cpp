#include <gtest/gtest.h>

#include <QCoreApplication>

// The SQLite driver is a plugin: an application object lets Qt find it.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
