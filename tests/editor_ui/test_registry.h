#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>

// Several Qt Test classes in one binary: each registers itself and main
// runs them one after the other.
using TestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<TestFactory>& TestRegistry()
{
    static std::vector<TestFactory> factories;
    return factories;
}

struct CTestRegistration
{
    explicit CTestRegistration(TestFactory factory)
    {
        TestRegistry().push_back(std::move(factory));
    }
};

#define IDE51_REGISTER_TEST(Class)                                                                 \
    static const CTestRegistration registration##Class([] { return std::make_unique<Class>(); })
