// One application object for the whole binary, the locale pinned so that
// number formats are the same on every machine. It is the program's own
// application class, which acts as a plain QApplication until a test switches
// its failure handler on.

#include <QLocale>

#include <gtest/gtest.h>

#include "app/quelm_application.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    quelm::QuelmApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelm"));
    return RUN_ALL_TESTS();
}
