#include <QApplication>
#include <gtest/gtest.h>

// One QApplication for every test, so screen tests can build widgets.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
