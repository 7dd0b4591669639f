#pragma once

#include <vector>

class QObject;

// One instance of every test class; each file adds its own.
std::vector<QObject*> AllTests();
QObject* NewCommandsTest();
QObject* NewWorkspaceTest();
QObject* NewRunTest();
QObject* NewDialogsTest();
QObject* NewRecoveryTest();

inline std::vector<QObject*> AllTests()
{
    return {NewCommandsTest(), NewWorkspaceTest(), NewRunTest(), NewDialogsTest(),
            NewRecoveryTest()};
}
