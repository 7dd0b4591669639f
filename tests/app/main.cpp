// Runs every test class of the shell in one binary.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "test_classes.h"

int main(int argc, char** argv)
{
    // Recovery files go to the cache: a private one, removed at the end.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    QApplication application(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    int failed = 0;
    for (QObject* test : AllTests()) {
        failed += QTest::qExec(test, argc, argv);
        delete test;
    }
    return failed == 0 ? 0 : 1;
}
