#include "frame/profile.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillet::ui {
namespace {

struct Rule {
    const char* what;
    std::string_view text;
    std::string_view section;
    std::string_view key;
    std::optional<std::string> expected;
};

const Rule rules[] = {
    {"plain value", "[sqlca]\ndatabase=main\n", "sqlca", "database", "main"},
    {"section name in another case", "[SQLCA]\ndatabase=main\n", "sqlca", "database", "main"},
    {"key name in another case", "[sqlca]\nDataBase=main\n", "sqlca", "database", "main"},
    {"asked for in another case", "[sqlca]\ndatabase=main\n", "SqlCa", "DATABASE", "main"},
    {"blanks around the section name", "  [ sqlca ]  \ndatabase=main\n", "sqlca", "database", "main"},
    {"blanks around key and value", "[sqlca]\n  database \t=  main  \n", "sqlca", "database", "main"},
    {"blanks around the names asked for", "[sqlca]\ndatabase=main\n", " sqlca ", " database ", "main"},
    {"blanks inside the value stay", "[sqlca]\ndatabase=my  db\n", "sqlca", "database", "my  db"},
    {"double quotes removed", "[sqlca]\ndatabase=\"main\"\n", "sqlca", "database", "main"},
    {"single quotes removed", "[sqlca]\ndatabase='main'\n", "sqlca", "database", "main"},
    {"blanks inside quotes stay", "[sqlca]\ndatabase=\" main \"\n", "sqlca", "database", " main "},
    {"mismatched quotes stay", "[sqlca]\ndatabase=\"main'\n", "sqlca", "database", "\"main'"},
    {"a lone quote stays", "[sqlca]\ndatabase=\"\n", "sqlca", "database", "\""},
    {"inner quotes stay", "[sqlca]\ndatabase=a\"b\"\n", "sqlca", "database", "a\"b\""},
    {"first key wins", "[sqlca]\ndatabase=first\ndatabase=second\n", "sqlca", "database", "first"},
    {"first key wins in any case", "[sqlca]\nDATABASE=first\ndatabase=second\n", "sqlca", "database", "first"},
    {"only the first section of a name", "[sqlca]\nnet=work\n[other]\n[sqlca]\ndatabase=main\n", "sqlca", "database",
     std::nullopt},
    {"first section answers", "[sqlca]\ndatabase=one\n[sqlca]\ndatabase=two\n", "sqlca", "database", "one"},
    {"key of another section", "[other]\ndatabase=main\n[sqlca]\nnet=work\n", "sqlca", "database", std::nullopt},
    {"key before any section", "database=main\n[sqlca]\nnet=work\n", "sqlca", "database", std::nullopt},
    {"missing section", "[other]\ndatabase=main\n", "sqlca", "database", std::nullopt},
    {"missing key", "[sqlca]\nnet=work\n", "sqlca", "database", std::nullopt},
    {"empty text", "", "sqlca", "database", std::nullopt},
    {"empty value is a value", "[sqlca]\nnet=\n", "sqlca", "net", ""},
    {"blank value is empty", "[sqlca]\nnet=   \n", "sqlca", "net", ""},
    {"key line without '='", "[sqlca]\ndatabase\ndatabase=later\n", "sqlca", "database", std::nullopt},
    {"'=' inside the value", "[sqlca]\ndatabase=a=b\n", "sqlca", "database", "a=b"},
    {"comment line", "[sqlca]\n;database=old\ndatabase=main\n", "sqlca", "database", "main"},
    {"indented comment line", "[sqlca]\n  ;database=old\n", "sqlca", "database", std::nullopt},
    {"text after the section header", "[sqlca] ; the database\ndatabase=main\n", "sqlca", "database", "main"},
    {"unclosed header is no section", "[other]\n[sqlca\ndatabase=main\n", "sqlca", "database", std::nullopt},
    {"CR LF line ends", "[sqlca]\r\ndatabase=main\r\nnet=work\r\n", "sqlca", "net", "work"},
    {"CR line ends", "[sqlca]\rdatabase=main\rnet=work", "sqlca", "database", "main"},
    {"no line end at the end", "[sqlca]\ndatabase=main", "sqlca", "database", "main"},
    {"directory part and backslash", "[sqlca]\ndatabase=data\\main\n", "sqlca", "database", "data\\main"},
    {"Chinese value", "[sqlca]\ndatabase=数据\\主库\n", "sqlca", "database", "数据\\主库"},
    {"blank lines and tabs", "\n\t\n[sqlca]\n\n\tdatabase\t=\tmain\t\n", "sqlca", "database", "main"},
};

TEST(ProfileRules, Table) {
    for (const Rule& rule : rules) {
        EXPECT_EQ(find_profile_value(rule.text, rule.section, rule.key), rule.expected) << rule.what;
    }
}

TEST(ProfileRules, DefaultStandsInForEverythingMissing) {
    EXPECT_EQ(profile_value("", "sqlca", "database", " "), " ");
    EXPECT_EQ(profile_value("[sqlca]\nnet=work\n", "sqlca", "database", " "), " ");
    EXPECT_EQ(profile_value("[sqlca]\ndatabase\n", "sqlca", "database", " "), " ");
    EXPECT_EQ(profile_value("[sqlca]\ndatabase=\n", "sqlca", "database", " "), "");
    EXPECT_EQ(profile_value("[sqlca]\ndatabase=main\n", "sqlca", "database", " "), "main");
}

}  // namespace
}  // namespace quillet::ui
