#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

// Window tests need one application object for the whole run. They run on
// the offscreen platform at scale 1 unless told otherwise, so that they need
// no display and see the same pixels everywhere.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "1");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
