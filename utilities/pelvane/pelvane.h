// pelvane: guides the operator through rebuilding the product's database with two batch files.
#pragma once

#include <string>
#include <string_view>

#include "../frame/program.h"

namespace quillet::pelvane {

extern const ui::Program program;

// The label with the current database's files: "数据库：" name ".db", three spaces, name ".log".
std::string file_names_label(std::string_view database);

}  // namespace quillet::pelvane
