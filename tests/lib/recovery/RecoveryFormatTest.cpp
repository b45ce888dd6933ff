// The copy file's bytes: whatever is not the whole of what was written is refused.

#include "recovery/RecoveryFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/lib/recovery/RecoveryTesting.h"

namespace zarvo {
namespace {

using namespace std::string_literals;

std::string fileOf(const RecoveryCopy& copy) {
    return recoveryHeader(copy) + copy.text + copy.testData + copy.fileName;
}

TEST(RecoveryFormatTest, TruncatedOrAlteredFilesAreRefused) {
    RecoveryCopy copy = test::copyOf("0 0 0\r\n[LINES]\n\0x"s, 1700000000123);
    const std::string whole = fileOf(copy);
    ASSERT_TRUE(parseRecoveryCopy(whole));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        EXPECT_FALSE(parseRecoveryCopy(whole.substr(0, length))) << "cut to " << length;
    }
    for (std::size_t at = 0; at < whole.size(); ++at) {
        for (char flip : {'\x01', '\x20', '\x80'}) {
            std::string altered = whole;
            altered[at] ^= flip;
            EXPECT_FALSE(parseRecoveryCopy(altered)) << "byte " << at << " ^ " << int(flip);
        }
    }
    EXPECT_FALSE(parseRecoveryCopy(whole + "x"));
}

}  // namespace
}  // namespace zarvo
