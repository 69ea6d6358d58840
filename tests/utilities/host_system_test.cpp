#include "frame/host_system.h"

#include <gtest/gtest.h>

#include "platform/system.h"
#include "scratch.h"

namespace quillet::ui {
namespace {

// vt.ini beside this test program, removed again afterwards.
class BesideProgram {
public:
    explicit BesideProgram(std::string_view text) : file_(std::filesystem::path(os::program_directory()) / "vt.ini") {
        std::ofstream(file_, std::ios::binary) << text;
    }
    ~BesideProgram() { std::filesystem::remove(file_); }
    BesideProgram(const BesideProgram&) = delete;
    BesideProgram& operator=(const BesideProgram&) = delete;

private:
    std::filesystem::path file_;
};

// Text saved as UTF-16 (little endian) with its byte order mark, as Windows editors save "Unicode".
std::string utf16le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string database_of(HostSystem& system) { return system.profile_string("vt.ini", "sqlca", "database", " "); }

TEST(ProfileLookup, BareNameInCurrentThenProgramDirectory) {
    testing::ScratchDir dir;
    testing::InDirectory here(dir.path());
    const auto locations = profile_locations("vt.ini");
    ASSERT_EQ(locations.size(), 2u);
    EXPECT_EQ(std::filesystem::path(locations[0]), std::filesystem::current_path() / "vt.ini");
    EXPECT_EQ(std::filesystem::path(locations[1]).parent_path(), std::filesystem::path(os::program_directory()));
    EXPECT_EQ(profile_locations("conf/vt.ini"), (std::vector<std::string>{"conf/vt.ini"}));
}

TEST(ProfileLookup, ReadsTheFileInTheCurrentDirectory) {
    testing::ScratchDir dir;
    testing::InDirectory here(dir.path());
    HostSystem system;
    dir.write("vt.ini", "[SqlCa]\r\n Database = \"main\" \r\nnet=work\r\n");
    EXPECT_EQ(database_of(system), "main");
    EXPECT_EQ(system.profile_string("vt.ini", "sqlca", "net", " "), "work");
    EXPECT_EQ(system.profile_string("vt.ini", "sqlca", "missing", " "), " ");
    EXPECT_EQ(system.profile_string("vt.ini", "other", "database", " "), " ");
}

TEST(ProfileLookup, GbkValueShowsAsItsCharacters) {
    testing::ScratchDir dir;
    testing::InDirectory here(dir.path());
    dir.write("vt.ini", "[sqlca]\ndatabase=\xCA\xFD\xBE\xDD\\main\n");  // 数据\main in GBK
    HostSystem system;
    EXPECT_EQ(database_of(system), "数据\\main");
    dir.write("vt.ini", utf16le(u"[sqlca]\r\ndatabase=数据\\主\r\n"));
    EXPECT_EQ(database_of(system), "数据\\主");
}

TEST(ProfileLookup, NoFileAtAllGivesTheDefault) {
    testing::ScratchDir dir;
    testing::InDirectory here(dir.path());
    HostSystem system;
    EXPECT_EQ(database_of(system), " ");
    std::filesystem::create_directory(dir / "vt.ini");  // a directory of that name is no file
    EXPECT_EQ(database_of(system), " ");
}

TEST(ProfileLookup, ProgramDirectoryWhenTheCurrentOneHasNoFile) {
    testing::ScratchDir dir;
    testing::InDirectory here(dir.path());
    BesideProgram beside("[sqlca]\ndatabase=beside\n");
    HostSystem system;
    EXPECT_EQ(database_of(system), "beside");
    // The first file found is the one read, even when it lacks the key.
    dir.write("vt.ini", "[sqlca]\nnet=work\n");
    EXPECT_EQ(database_of(system), " ");
    dir.write("vt.ini", "[sqlca]\ndatabase=here\n");
    EXPECT_EQ(database_of(system), "here");
}

TEST(ProfileLookup, OversizedFileIsReadUpToTheLimit) {
    testing::ScratchDir dir;
    testing::InDirectory here(dir.path());
    HostSystem system;
    const std::string padding(profile_size_limit, ';');
    dir.write("vt.ini", "[sqlca]\nnet=work\n" + padding + "\ndatabase=late\n");
    EXPECT_EQ(database_of(system), " ");
    EXPECT_EQ(system.profile_string("vt.ini", "sqlca", "net", " "), "work");
    EXPECT_EQ(os::read_file((dir / "vt.ini").string(), 10), "[sqlca]\nne");
}

}  // namespace
}  // namespace quillet::ui
