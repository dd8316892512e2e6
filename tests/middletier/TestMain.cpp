#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the SQL drivers are plugins found through the application
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
