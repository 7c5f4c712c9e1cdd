#pragma once

#include <QString>

// Helper processes of the store's tests (see StoreTestMain.cpp). Exit code 0 is success, 77 a
// skip (the environment lacks what the mode needs), anything else a failure explained on
// stderr.
int runStoreTestChild(int argc, char **argv);

// The path of this test binary, for starting a helper.
QString storeTestBinary();

constexpr int kChildSkipped = 77;
