#include "frame/encoding.h"

#include <gtest/gtest.h>

#include "platform/system.h"

namespace quillet::ui {
namespace {

std::string marked_legacy(std::string_view bytes) { return "legacy:" + std::string(bytes); }

TEST(ProfileText, Utf8IsTakenAsItIs) {
    EXPECT_EQ(decode_text("[sqlca]\ndatabase=数据\n", marked_legacy), "[sqlca]\ndatabase=数据\n");
    EXPECT_EQ(decode_text("\xEF\xBB\xBF[sqlca]", marked_legacy), "[sqlca]");
    EXPECT_EQ(decode_text("", marked_legacy), "");
}

TEST(ProfileText, Utf16WithByteOrderMark) {
    using namespace std::string_view_literals;
    // "[a]" then U+6570 (数) and U+1F600 as a surrogate pair.
    const auto little = "\xFF\xFE[\0a\0]\0\x70\x65\x3D\xD8\x00\xDE"sv;
    EXPECT_EQ(decode_text(little, marked_legacy), "[a]数\xF0\x9F\x98\x80");
    const auto big = "\xFE\xFF\0[\0a\0]\x65\x70"sv;
    EXPECT_EQ(decode_text(big, marked_legacy), "[a]数");
    // An unpaired high surrogate and a dangling byte become replacement characters.
    const auto broken = "\xFF\xFE\x3D\xD8x\0y"sv;
    EXPECT_EQ(decode_text(broken, marked_legacy), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(ProfileText, AnythingElseGoesThroughTheLegacyCodePage) {
    EXPECT_EQ(decode_text("database=\xCA\xFD", marked_legacy), "legacy:database=\xCA\xFD");
    EXPECT_EQ(decode_text("\xC0\x80", marked_legacy), "legacy:\xC0\x80");          // overlong form
    EXPECT_EQ(decode_text("\xED\xA0\x80", marked_legacy), "legacy:\xED\xA0\x80");  // surrogate
    EXPECT_EQ(decode_text("\xE6\x95", marked_legacy), "legacy:\xE6\x95");          // cut short
    EXPECT_EQ(decode_text("\xCA\xFDz", nullptr), "\xEF\xBF\xBD\xEF\xBF\xBDz");
}

TEST(ProfileText, GbkValuesDecodeToTheirCharacters) {
    // 数据\main in GBK.
    EXPECT_EQ(os::decode_legacy("database=\xCA\xFD\xBE\xDD\\main"), "database=数据\\main");
    // A lead byte cut off at the end of the file does not lose what came before it.
    EXPECT_EQ(os::decode_legacy("ab\xCA"), "ab\xEF\xBF\xBD");
    const std::string long_value(5000, '\xCA');
    EXPECT_EQ(os::decode_legacy(long_value + "\xFD").size(), 5000 / 2 * 3 + 3);
}

TEST(ProfileText, Utf8Validation) {
    EXPECT_TRUE(is_utf8("plain"));
    EXPECT_TRUE(is_utf8("数据\xF0\x9F\x98\x80"));
    EXPECT_FALSE(is_utf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(is_utf8("\x80"));
    EXPECT_EQ(repair_utf8("a\x80"
                          "b数"),
              "a\xEF\xBF\xBD"
              "b数");
}

}  // namespace
}  // namespace quillet::ui
