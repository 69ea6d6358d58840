#include "frame/command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sstream>
#include <thread>

#include "platform/system.h"
#include "recorder.h"
#include "scratch.h"

namespace quillet::ui {
namespace {

using Words = std::vector<std::string>;

TEST(CommandWords, SplitAtBlanksWithoutQuoting) {
    EXPECT_EQ(split_words("rebuild1.bat"), (Words{"rebuild1.bat"}));
    EXPECT_EQ(split_words("dbsrv10.exe main.db -ek quvo58214763"),
              (Words{"dbsrv10.exe", "main.db", "-ek", "quvo58214763"}));
    // The one-space default name leaves two blanks, which make no empty word.
    EXPECT_EQ(split_words("dbsrv10.exe  .db -ek k"), (Words{"dbsrv10.exe", ".db", "-ek", "k"}));
    EXPECT_EQ(split_words("dbsrv10.exe my db.db -ek k"), (Words{"dbsrv10.exe", "my", "db.db", "-ek", "k"}));
    EXPECT_EQ(split_words("a \"b c\""), (Words{"a", "\"b", "c\""}));
    EXPECT_EQ(split_words("\t a\t\tb  "), (Words{"a", "b"}));
    EXPECT_EQ(split_words("data\\main.db"), (Words{"data\\main.db"}));
    EXPECT_TRUE(split_words("").empty());
    EXPECT_TRUE(split_words("  \t ").empty());
}

class ProgramSearch : public ::testing::Test {
protected:
    std::set<std::string> files;
    std::vector<std::string> asked;
    const SearchPlaces places{"/work/here", "/opt/product/", "/usr/local/bin::/usr/bin"};

    std::optional<std::string> resolve(std::string_view name) {
        return resolve_program(name, places, [this](const std::string& path) {
            asked.push_back(path);
            return files.contains(path);
        });
    }
};

TEST_F(ProgramSearch, BareNameTriesCurrentThenProgramDirectoryThenPath) {
    EXPECT_EQ(resolve("rebuild1.bat"), std::nullopt);
    EXPECT_EQ(asked, (Words{"/work/here/rebuild1.bat", "/opt/product/rebuild1.bat", "/usr/local/bin/rebuild1.bat",
                            "/usr/bin/rebuild1.bat"}));
    files = {"/usr/bin/rebuild1.bat", "/opt/product/rebuild1.bat"};
    EXPECT_EQ(resolve("rebuild1.bat"), "/opt/product/rebuild1.bat");
    files.insert("/work/here/rebuild1.bat");
    EXPECT_EQ(resolve("rebuild1.bat"), "/work/here/rebuild1.bat");
    files = {"/usr/bin/rebuild1.bat"};
    EXPECT_EQ(resolve("rebuild1.bat"), "/usr/bin/rebuild1.bat");
}

TEST_F(ProgramSearch, NameWithDirectoryPartSkipsPath) {
    files = {"/usr/bin/tools/run"};
    EXPECT_EQ(resolve("tools/run"), std::nullopt);
    EXPECT_EQ(asked, (Words{"/work/here/tools/run", "/opt/product/tools/run"}));
    files.insert("/opt/product/tools/run");
    EXPECT_EQ(resolve("tools/run"), "/opt/product/tools/run");
}

TEST_F(ProgramSearch, AbsoluteNameIsTakenAsItIs) {
    files = {"/work/here/bin/x", "/bin/x"};
    EXPECT_EQ(resolve("/bin/x"), "/bin/x");
    EXPECT_EQ(resolve("/nowhere/x"), std::nullopt);
    EXPECT_EQ(asked, (Words{"/bin/x", "/nowhere/x"}));
    EXPECT_EQ(resolve(""), std::nullopt);
}

TEST(StartCommand, StartsWithoutWaitingAndWithTheWords) {
    testing::ScratchDir dir;
    dir.write("dbsrv10.exe", testing::recorder, true);
    testing::InDirectory here(dir.path());
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(os::start_command("dbsrv10.exe main.db -ek quvo58214763"));
    ASSERT_TRUE(os::start_command("dbsrv10.exe my db.db -ek quvo58214763"));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1)) << "waited for the program";
    const auto lines = testing::record_lines(dir, 2);
    ASSERT_EQ(lines.size(), 2u);
    std::multiset<std::string> words{lines[0].words, lines[1].words};
    EXPECT_EQ(words,
              (std::multiset<std::string>{"[main.db] [-ek] [quvo58214763]", "[my] [db.db] [-ek] [quvo58214763]"}));
    EXPECT_NE(lines[0].pid, lines[1].pid) << "one process for both";
}

TEST(StartCommand, RelativeNameWithDirectoryPart) {
    testing::ScratchDir dir;
    dir.write("bin/rebuild1.bat", testing::recorder, true);
    testing::InDirectory here(dir.path());
    ASSERT_TRUE(os::start_command("bin/rebuild1.bat"));
    const std::filesystem::path record = dir / "bin" / "record.txt";
    for (int tries = 0; tries < 200 && !std::filesystem::exists(record); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(std::filesystem::exists(record));
}

TEST(StartCommand, CommandsThatCannotStart) {
    testing::ScratchDir dir;
    dir.write("plain.bat", "@echo off\n");  // not executable
    dir.write("broken", "#!/nonexistent/interpreter\n", true);
    std::filesystem::create_directory(dir / "folder");
    testing::InDirectory here(dir.path());
    EXPECT_FALSE(os::start_command("rebuild2.bat"));
    EXPECT_FALSE(os::start_command("plain.bat"));
    EXPECT_FALSE(os::start_command("broken"));
    EXPECT_FALSE(os::start_command("folder"));
    EXPECT_FALSE(os::start_command(""));
    EXPECT_FALSE(os::start_command("   "));
}

}  // namespace
}  // namespace quillet::ui
