#include "tests/support/QtTestMain.h"

#include <gtest/gtest.h>

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
    const zarvo::test::ApplicationFactory factory = zarvo::test::chosenFactory();
    const std::unique_ptr<QApplication> application =
        factory ? factory(argc, argv) : std::make_unique<QApplication>(argc, argv);
    return RUN_ALL_TESTS();
}
