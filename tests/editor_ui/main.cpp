#include <QApplication>
#include <QStandardPaths>
#include <QTest>

#include "test_registry.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    int failed = 0;
    for (const TestFactory& factory : TestRegistry()) {
        const std::unique_ptr<QObject> test = factory();
        failed += QTest::qExec(test.get(), argc, argv) != 0 ? 1 : 0;
    }
    return failed == 0 ? 0 : 1;
}
