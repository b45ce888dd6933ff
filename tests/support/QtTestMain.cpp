#include "tests/support/QtTestMain.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/common/TempDir.h"

namespace zarvo::test {

namespace {

// A function-local static, so that registrations from other translation
// units' static initialisers find it constructed.
ApplicationFactory& chosenFactory() {
    static ApplicationFactory factory = nullptr;
    return factory;
}

}  // namespace

bool useTestApplication(ApplicationFactory factory) {
    chosenFactory() = factory;
    return true;
}

}  // namespace zarvo::test

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    // The windows keep their settings for the next run: these tests' runs
    // keep theirs apart from the user's and from each other.
    const zarvo::test::TempDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    // Lines found in stationery pictures are cached; not in the user's cache.
    const zarvo::test::TempDir cache;
    setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    const zarvo::test::ApplicationFactory factory = zarvo::test::chosenFactory();
    const std::unique_ptr<QApplication> application =
        factory ? factory(argc, argv) : std::make_unique<QApplication>(argc, argv);
    return RUN_ALL_TESTS();
}
