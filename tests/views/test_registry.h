#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>

// Several Qt Test classes in one binary: each file registers its class and
// main runs them in turn.
using TestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<TestFactory>& TestFactories()
{
    static std::vector<TestFactory> factories;
    return factories;
}

template <typename Test> struct RegisterTest
{
    RegisterTest()
    {
        TestFactories().push_back([] { return std::make_unique<Test>(); });
    }
};
