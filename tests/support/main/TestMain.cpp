// The test programs' main: a test program is also the reader process of the
// wizard it drives (started from its own executable, as the wizard starts
// itself), so it serves as one when asked before it runs any test.
#include <gtest/gtest.h>

#include "reader/ReaderMain.h"

int main(int argc, char** argv) {
    if (const auto readerExit = quillmere::RunReaderIfAsked(argc, argv)) {
        return *readerExit;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
