// The board link's windows: one Qt Test class per file, run in turn.
#include <QApplication>

#include "link_ui_test_util.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    int failed = 0;
    for (const auto& run : LinkUiTestRegistry()) {
        failed += run(argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
