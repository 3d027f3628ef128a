// The tests' main: a headless Qt application, and a settings hive and a
// recovery store of the test program's own, so no test reads or writes the
// user's settings or unsaved text.
#include "TempDir.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TempDir config("kestrix-test-config");
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    // The help keeps its working copy and search index in the cache folder.
    TempDir cache("kestrix-test-cache");
    setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    // Recovery files too: no test offers or leaves the user's unsaved text.
    TempDir state("kestrix-test-state");
    if (!std::getenv("KESTRIX_TEST_KEEP_STATE"))
        setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
