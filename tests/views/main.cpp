#include <QApplication>
#include <QStandardPaths>
#include <QTest>

#include "test_registry.h"

// Runs every registered test class; VIEWS_TEST_CLASS=Name runs one of them
// (with the usual Qt Test arguments, e.g. a function name).
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QByteArray only = qgetenv("VIEWS_TEST_CLASS");
    int failures = 0;
    for (const TestFactory& factory : TestFactories()) {
        std::unique_ptr<QObject> test = factory();
        if (!only.isEmpty() && only != test->metaObject()->className()) {
            continue;
        }
        failures += QTest::qExec(test.get(), only.isEmpty() ? 1 : argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
