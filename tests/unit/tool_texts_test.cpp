// The quillet tool's own texts: status word meanings, where instructions stand in a file, JSON.
#include <gtest/gtest.h>

#include <string>

#include "tools/instruction_lines.h"
#include "tools/json.h"
#include "tools/status_words.h"

using namespace quillet_tool;

TEST(StatusWords, EveryErrorAndWarningWordIsNamed) {
    for (unsigned sw = 0x6000; sw <= 0x6FFF; ++sw)
        ASSERT_NE(status_word_meaning(static_cast<uint16_t>(sw)), "not an interindustry status word") << std::hex << sw;
    EXPECT_EQ(status_word_meaning(0x6981), "command incompatible with the file structure");
    EXPECT_EQ(status_word_meaning(0x63C2), "verification failed, tries left in the low digit");
    EXPECT_EQ(status_word_meaning(0x6A8A), "DF name already exists");
    EXPECT_EQ(status_word_meaning(0x6A99), "wrong parameters P1 P2");  // the group's row
    EXPECT_EQ(status_word_meaning(0x9000), "success");
    EXPECT_EQ(status_word_meaning(0x9100), "not an interindustry status word");
}

TEST(InstructionLines, SplitAsTheLibraryRunsThem) {
    int open_line = 0;
    const auto found = split_instructions("\n  srd_4442(dev, 0, 4) { }\n\nswr_4442(dev, 1, 1)\n{ 0x41 } x", open_line);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 2u);
    EXPECT_EQ((*found)[0].line, 2);
    EXPECT_EQ((*found)[0].text, "srd_4442(dev, 0, 4) { }");
    EXPECT_EQ((*found)[1].line, 4);
    EXPECT_EQ((*found)[1].text, "swr_4442(dev, 1, 1)\n{ 0x41 }");
    EXPECT_FALSE(split_instructions("a() { }\nb() {\n", open_line));
    EXPECT_EQ(open_line, 2);
    EXPECT_TRUE(split_instructions("frob(dev) }", open_line)->empty());  // a closing brace alone closes nothing
}

TEST(Json, StringsAreEscaped) {
    EXPECT_EQ(json_string("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\u000a\\u0001\"");
    JsonObject inner;
    inner.text("sw", "9000");
    EXPECT_EQ(JsonObject().number("n", -3).flag("ok", false).list("items", {inner, inner}).str(),
              "{\"n\": -3, \"ok\": false, \"items\": [{\"sw\": \"9000\"}, {\"sw\": \"9000\"}]}");
}
