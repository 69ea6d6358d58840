// Instruction files without a card: the instruction parser, the data builder, the command table's
// matching, and exp_dis's syntax, file and scratch-file handling.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "filecmd/command_table.h"
#include "filecmd/data_block.h"
#include "filecmd/instruction.h"
#include "quillet.h"
#include "tests/support/memory_files.h"
#include "tests/support/working_directory.h"

namespace {

using quillet::filecmd::build_data;
using quillet::filecmd::Bytes;
using quillet::filecmd::data_length;
using quillet::filecmd::find_command;
using quillet::filecmd::Instruction;
using quillet::filecmd::parse_instruction;
using quillet::test::file_bytes;
using quillet::test::TemporaryWorkingDirectory;
using quillet::test::write_file;

constexpr int16_t refused = 254;
constexpr int32_t no_reader = 4321;  // a handle no port was opened for: every export call fails

Instruction parsed(const std::string& text) {
    const std::optional<Instruction> record = parse_instruction(text);
    EXPECT_TRUE(record.has_value()) << text;
    return record.value_or(Instruction{});
}

// ---- the instruction record ----

TEST(InstructionParser, ReadsNameNumbersAndOutputFile) {
    const Instruction read = parsed(R"(srd_4442(dev, 0, 32, "card.bin/wb") { })");
    EXPECT_EQ(read.name, "srd_4442");
    EXPECT_EQ(read.numbers, (std::array<int32_t, 4>{0, 32, 0, 0}));
    EXPECT_EQ(read.file, "card.bin");
    EXPECT_EQ(read.mode, "wb");

    const Instruction write = parsed("\r\n;\tSWR_4442 (dev, 0x20, 4) { \"AB\", 0x43, 'D' }");
    EXPECT_EQ(write.name, "swr_4442");
    EXPECT_EQ(write.numbers, (std::array<int32_t, 4>{32, 4, 0, 0}));
    EXPECT_EQ(write.file, "");
    EXPECT_EQ(write.mode, "");

    EXPECT_EQ(parsed("turn_on(dev){}").numbers, (std::array<int32_t, 4>{}));
    EXPECT_EQ(parsed("f(dev,1,2,3,4){}").numbers, (std::array<int32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(parsed("f(dev,1,2,3,4,\"out\"){}").file, "out");
}

TEST(InstructionParser, OutputFileForms) {
    const Instruction plain = parsed(R"(srd_4442(dev, 0, 8, "out.bin") {})");
    EXPECT_EQ(plain.file, "out.bin");
    EXPECT_EQ(plain.mode, "w");
    const Instruction spaced = parsed("srd_4442(dev, 0, 8, \" o u t .bin / a b \", 99) {}");
    EXPECT_EQ(spaced.file, "out.bin");
    EXPECT_EQ(spaced.mode, "ab");
    EXPECT_EQ(spaced.numbers[2], 0) << "the file argument ends the list";
    const Instruction star = parsed("srd_4442(dev, 0, 8, *anything, 5) {}");
    EXPECT_EQ(star.file, "*");
    EXPECT_EQ(star.mode, "");
    EXPECT_EQ(star.numbers[2], 0);
}

TEST(InstructionParser, NumberTokens) {
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0},      {"7", 7},       {"12", 12},      {"-5", -1},       {"-100", -1}, {"0x1F", 31},
        {"0X1f", 31}, {"9x10", 16},   {"1 2 3", 123},  {"4294967297", 1}, {"0xFFFFFFFF", -1},
        {"a", 'a' - '0'}, {"0x", ('0' - '0') * 10 + ('x' - '0')},
    };
    for (const auto& [token, value] : cases)
        EXPECT_EQ(parsed(std::string("f(dev,") + token + "){}").numbers[0], value) << token;
    EXPECT_FALSE(parse_instruction("f(dev, 0x1G) {}"));
}

TEST(InstructionParser, RefusesWhatDoesNotFitTheRecord) {
    const std::string name19(19, 'n');
    EXPECT_EQ(parsed(name19 + "(dev){}").name, name19);
    EXPECT_FALSE(parse_instruction(name19 + "x(dev){}"));

    const std::string token199 = "1" + std::string(198, '0');
    EXPECT_TRUE(parse_instruction("f(dev," + token199 + "){}"));
    EXPECT_FALSE(parse_instruction("f(dev," + token199 + "0){}"));

    const std::string file19(19, 'f');
    EXPECT_EQ(parsed("f(dev,\"" + file19 + "\"){}").file, file19);
    EXPECT_FALSE(parse_instruction("f(dev,\"" + file19 + "g\"){}"));
    EXPECT_FALSE(parse_instruction("f(dev,\"out/wbbbbbbbbbbbb\"){}")) << "a mode beyond 11 characters";

    EXPECT_FALSE(parse_instruction("f(dev,1,2,3,4,5){}")) << "no fifth number slot";
}

TEST(InstructionParser, AcceptsOnlyStandardOpenModes) {
    for (const char* mode : {"r", "w", "a", "r+", "wb", "a+b", "ab+", "rt", "w+t", "rb+"}) {
        EXPECT_TRUE(quillet::filecmd::is_standard_open_mode(mode)) << mode;
        EXPECT_TRUE(parse_instruction(std::string("f(dev,\"o/") + mode + "\"){}")) << mode;
    }
    for (const char* mode : {"", "x", "wx", "rbb", "r++", "wbt", "b", "w+bccs=UTF-8", "ccs"}) {
        EXPECT_FALSE(quillet::filecmd::is_standard_open_mode(mode)) << mode;
        EXPECT_FALSE(parse_instruction(std::string("f(dev,\"o/") + mode + "\"){}")) << mode;
    }
}

TEST(InstructionParser, RefusesTextEndingBeforeTheListIsComplete) {
    EXPECT_FALSE(parse_instruction("srd_4442 { }"));
    EXPECT_FALSE(parse_instruction("srd_4442(dev { }"));
    EXPECT_FALSE(parse_instruction("srd_4442(dev, 0, 1 { }"));
}

// ---- the data block ----

class DataBuilder : public ::testing::Test {
protected:
    std::optional<Bytes> build(const std::string& block, size_t limit = quillet::filecmd::max_data_bytes) {
        return build_data("f(dev)" + block, files, limit);
    }
    Bytes built(const std::string& block) {
        const std::optional<Bytes> data = build(block);
        EXPECT_TRUE(data.has_value()) << block;
        return data.value_or(Bytes{});
    }
    quillet::test::MemoryFiles files;
};

TEST_F(DataBuilder, StringsCharactersAndNumbers) {
    EXPECT_EQ(built(R"({ "AB", 0x43, 'D' })"), (Bytes{0x41, 0x42, 0x43, 0x44}));
    EXPECT_EQ(built("{ 300 }"), (Bytes{0x2C}));
    EXPECT_EQ(built("{ 'xyz', \"a b\" ; 0x0a\t1\r\n2(3)*1}"), (Bytes{'x', 'a', ' ', 'b', 0x0A, 1, 2, 3}));
    EXPECT_FALSE(build("{ 12a }"));
    EXPECT_FALSE(build("{ 0x }"));
    EXPECT_FALSE(build("{ 0x4G }"));
}

TEST_F(DataBuilder, RepeatGroups) {
    EXPECT_EQ(built("{ (0x00, 0xFF)*3 }"), (Bytes{0, 0xFF, 0, 0xFF, 0, 0xFF}));
    EXPECT_EQ(built("{ (1)*0 }"), (Bytes{1}));
    EXPECT_EQ(built("{ (1)*1 }"), (Bytes{1}));
    EXPECT_EQ(built("{ 9, (1)*0x3;2 }"), (Bytes{9, 1, 1, 1, 2}));
    EXPECT_EQ(built("{ (1, (2)*2 }"), (Bytes{1, 2, 2})) << "groups do not nest: the latest '(' starts the group";
    EXPECT_EQ(built("{ (7)*2\r\n}"), (Bytes{7, 7}));
    EXPECT_FALSE(build("{ (1) *2 }"));
    EXPECT_FALSE(build("{ (1)*0x1G }"));
    EXPECT_FALSE(build("{ (1)}"));
}

TEST_F(DataBuilder, FileItems) {
    files.files["img.bin"] = {10, 11, 12, 13, 14};
    EXPECT_EQ(built("{ <img.bin>[2], 7 }"), (Bytes{12, 13, 14, 7}));
    EXPECT_EQ(built("{ < i m g.bin >[1] [2] 7 }"), (Bytes{11, 12, 7})) << "after a length nothing is consumed";
    EXPECT_EQ(built("{ <img.bin> 7, 8 }"), (Bytes{10, 11, 12, 13, 14, 8}))
        << "the first character after '>' that is not a blank belongs to the item";
    EXPECT_EQ(built("{ <img.bin>[0][0] }"), (Bytes{10, 11, 12, 13, 14})) << "length 0: to the end";
    EXPECT_EQ(built("{ <img.bin>}"), (Bytes{10, 11, 12, 13, 14}));
    EXPECT_FALSE(build("{ <img.bin>[3][3] }")) << "the file ends early";
    EXPECT_FALSE(build("{ <missing.bin> }"));
    EXPECT_FALSE(build("{ <img.bin>[x] }"));
    EXPECT_FALSE(build("{ <img.bin }"));
}

TEST_F(DataBuilder, EmptyDataMarker) {
    const Bytes marker(quillet::filecmd::empty_data_marker.begin(), quillet::filecmd::empty_data_marker.end());
    EXPECT_EQ(built("{ }"), marker);
    EXPECT_EQ(built("{ ,; x }"), marker);
    EXPECT_EQ(data_length(built("{}")), -1);
    EXPECT_EQ(data_length(built(R"({ "@@@@@@@@@@" })")), -1) << "the marker itself reads as no data";
    EXPECT_EQ(data_length(built(R"({ "@@@@@@@@@" })")), 9);
}

TEST_F(DataBuilder, RefusesUnfinishedItemsAndOversizedData) {
    EXPECT_FALSE(build_data("f(dev) no brace", files));
    EXPECT_FALSE(build(R"({ "AB })"));
    EXPECT_FALSE(build("{ 'A"));
    EXPECT_FALSE(build("{ (1, 2)*4294967295 }")) << "beyond the data limit";
    EXPECT_FALSE(build("{ (1, 2)*3 }", 5));
    EXPECT_EQ(build("{ (1, 2)*3 }", 6).value_or(Bytes{}).size(), 6u);
}

// ---- matching names ----

TEST(CommandTable, MatchesByPrefixInTheListedOrder) {
    EXPECT_EQ(quillet::filecmd::command_table().size(), 151u);
    EXPECT_EQ(find_command("chk_4442x")->name, "chk_4442");
    EXPECT_EQ(find_command("swr_93c46a")->name, "swr_93c46a");
    EXPECT_EQ(find_command("swr_93c46")->name, "swr_93c46");
    EXPECT_EQ(find_command("srd_1604b")->name, "srd_1604b");
    EXPECT_EQ(find_command("eswc_4405")->name, "eswc_4406");
    EXPECT_EQ(find_command("srd_1608"), nullptr);
    EXPECT_EQ(find_command("chk_442"), nullptr);
    EXPECT_EQ(find_command(""), nullptr);
}

// ---- exp_dis without a card ----

class ExpDis : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(cwd.ready()); }

    int16_t run(const std::string& instructions) {
        write_file("job.ins", instructions);
        return exp_dis(no_reader, "job.ins", &index);
    }
    bool exists(const std::string& name) const {
        std::error_code ignored;
        return std::filesystem::exists(std::filesystem::symlink_status(name, ignored));
    }
    void expect_no_scratch_files() const {
        EXPECT_FALSE(exists("ins.ins"));
        EXPECT_FALSE(exists("data.tmp"));
    }

    TemporaryWorkingDirectory cwd;
    int16_t index = 7;
};

TEST_F(ExpDis, FilesWithoutInstructionsAndUnclosedBraces) {
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(run("srd_4442(dev, 0, 8, \"x\") no braces at all"), 0);
    index = 7;
    EXPECT_EQ(run("srd_4442(dev, 0, 8, \"x\") { "), refused);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(exp_dis(no_reader, "missing.ins", &index), refused);
    EXPECT_EQ(exp_dis(no_reader, nullptr, &index), refused);
    EXPECT_EQ(run("{ }"), refused) << "no name and no argument list";
    EXPECT_EQ(exp_dis(no_reader, "job.ins", nullptr), refused) << "failed_index may be null";
    expect_no_scratch_files();
}

TEST_F(ExpDis, SyntaxErrorsAndBadInputsGive254WithIndex0) {
    const std::string bad[] = {
        "swr_4442(dev, 0, 1) { (1) *2 }",
        "srd_4442(dev, 0, 1, \"" + std::string(20, 'f') + "\") { }",
        "srd_4442(dev, 0, 1, \"out/wx\") { }",
        "srd_4442(dev, 0, 1, \"out/" + std::string(12, 'b') + "\") { }",
        std::string(20, 's') + "(dev) { }",
        "srd_4442(dev, " + std::string(200, '1') + ") { }",
        "swr_4442(dev, 0, 1) { <missing.bin> }",
        "srd_4442(dev, 0x1Z, 1, \"out\") { }",
    };
    for (const std::string& text : bad) {
        index = 7;
        EXPECT_EQ(run(text), refused) << text;
        EXPECT_EQ(index, 0) << text;
        EXPECT_FALSE(exists("out")) << text;
        expect_no_scratch_files();
    }
}

TEST_F(ExpDis, UnknownCommandIsACommandFailure) {
    EXPECT_EQ(run("srd_1608(dev, 0, 0, 1, \"out\") { }"), refused);
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(exists("out"));
}

TEST_F(ExpDis, FailedReadRemovesTheFileItMadeOrEmptied) {
    EXPECT_LT(run(R"(srd_4442(dev, 0, 8, "new.bin/wb") { })"), 0);
    EXPECT_FALSE(exists("new.bin"));

    write_file("log.bin", std::string("kept"));
    EXPECT_LT(run(R"(srd_4442(dev, 0, 8, "log.bin/ab") { })"), 0);
    EXPECT_EQ(file_bytes("log.bin"), (Bytes{'k', 'e', 'p', 't'})) << "appending to a file that was there";
    EXPECT_LT(run(R"(srd_4442(dev, 0, 8, "log.bin/r+b") { })"), 0);
    EXPECT_EQ(file_bytes("log.bin"), (Bytes{'k', 'e', 'p', 't'}));
    EXPECT_LT(run(R"(srd_4442(dev, 0, 8, "log.bin/wb") { })"), 0);
    EXPECT_FALSE(exists("log.bin")) << "mode w emptied it";

    EXPECT_EQ(run(R"(srd_4442(dev, 0, 8, *) { })"), refused) << "'*' opens no file";
    EXPECT_EQ(run(R"(srd_4442(dev, 0, 8) { })"), refused) << "a read without an output file";
    expect_no_scratch_files();
}

TEST_F(ExpDis, ScratchFilesNeverFollowWhatCarriesTheirNames) {
    write_file("victim", std::string("untouched"));
    std::filesystem::create_symlink("victim", "ins.ins");
    std::filesystem::create_symlink("victim", "data.tmp");
    EXPECT_LT(run(R"(swr_4442(dev, 0, 2) { "AB" })"), 0);
    EXPECT_EQ(file_bytes("victim"), (Bytes{'u', 'n', 't', 'o', 'u', 'c', 'h', 'e', 'd'}));
    expect_no_scratch_files();

    std::filesystem::create_directory("data.tmp");
    EXPECT_EQ(run(R"(swr_4442(dev, 0, 2) { "AB" })"), refused) << "a directory in the way";
    EXPECT_FALSE(exists("ins.ins"));
}

}  // namespace
