#include "report/ByteStream.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

// Bytes 0..255 over and over, longer than one chunk, so that a lookahead
// and a seek both cross the edge of what is held.
std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

// Every way to read: a file and the same bytes in memory agree.
TEST(ByteStream, FileAndMemoryReadAlike) {
    const std::string bytes = pattern(200'000);
    TempDir dir;
    const std::string path = dir.write("bytes", bytes);
    ByteStream file(path);
    ByteStream memory = ByteStream::fromBytes(bytes);
    for (ByteStream* in : {&file, &memory}) {
        ASSERT_TRUE(in->ok());
        in->seek(65'530);  // a lookahead across the end of the first chunk
        for (std::size_t ahead = 0; ahead < ByteStream::kLookahead; ++ahead) {
            EXPECT_EQ(in->peek(ahead), static_cast<unsigned char>(bytes[65'530 + ahead]));
        }
        EXPECT_EQ(in->get(), static_cast<unsigned char>(bytes[65'530]));
        EXPECT_EQ(in->offset(), 65'531u);
        std::string rest;
        for (std::string_view chunk = in->readChunk(); !chunk.empty(); chunk = in->readChunk()) rest += chunk;
        EXPECT_EQ(rest, bytes.substr(65'531));
        EXPECT_EQ(in->offset(), bytes.size());
        EXPECT_EQ(in->peek(), -1);
        in->seek(bytes.size() + 10);  // past the end: the end
        EXPECT_EQ(in->get(), -1);
        in->seek(3);
        EXPECT_EQ(in->get(), 3);
        EXPECT_FALSE(in->failed());
    }
}

}  // namespace
}  // namespace zarvo
