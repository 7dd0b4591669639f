// Runs every test class of the shell in one binary.
#include <QApplication>
#include <QTest>

#include "test_classes.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    int failed = 0;
    for (QObject* test : AllTests()) {
        failed += QTest::qExec(test, argc, argv);
        delete test;
    }
    return failed == 0 ? 0 : 1;
}
