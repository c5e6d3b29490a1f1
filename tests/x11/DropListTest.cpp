// Dropped uri lists become local file names.
#include <gtest/gtest.h>

#include <cstring>

#include "toolkit/platform/x11/DropList.h"

namespace brindlet::x11 {
namespace {

std::vector<std::string> parse(const std::string& s) {
    return parseUriList(s.data(), s.size());
}

TEST(DropListTest, LocalFilesAreStrippedAndDecodedOthersSkipped) {
    EXPECT_EQ(parse("file:///tmp/a%20b.wav\r\n# comment\r\nhttp://x/y\r\nfile://localhost/c\r\n"
                    "file://otherhost/d\nfile:/e%41"),
              (std::vector<std::string>{"/tmp/a b.wav", "/c", "/e" "A"}));
    EXPECT_TRUE(parse("").empty());
    EXPECT_TRUE(parseUriList(nullptr, 10).empty());
    EXPECT_TRUE(parse("file:///x%00y").empty());
    EXPECT_EQ(parse("file:///bad%2"), (std::vector<std::string>{"/bad%2"}));
    EXPECT_EQ(parse("file:///p%zz%4"), (std::vector<std::string>{"/p%zz%4"}));
}

}  // namespace
}  // namespace brindlet::x11
