// Runs every test class of the shell in one process.

#include <QApplication>
#include <QTest>

#include "tests/app/ShellTests.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    int failed = 0;
    {
        kv::test::ShellPartsTest parts;
        failed += QTest::qExec(&parts, argc, argv);
    }
    {
        kv::test::ShellStartTest start;
        failed += QTest::qExec(&start, argc, argv);
    }
    {
        kv::test::ShellHotplugTest hotplug;
        failed += QTest::qExec(&hotplug, argc, argv);
    }
    {
        kv::test::ShellControlsTest controls;
        failed += QTest::qExec(&controls, argc, argv);
    }
    {
        kv::test::ShellPagesTest pages;
        failed += QTest::qExec(&pages, argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
