// The store's tests also serve as their own helper processes: a test re-runs this binary with
// --child <mode> ... to save in a loop, to race another copy, or to provoke write faults in a
// private mount namespace.
#include "StoreTestChild.h"

#include <QCoreApplication>
#include <cstring>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
        return runStoreTestChild(argc - 2, argv + 2);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
