// database: starts the product's database server on the server machine.
#pragma once

#include <string>
#include <string_view>

#include "../frame/program.h"

namespace quillet::database {

extern const ui::Program program;

// The key that opens the encrypted database file, passed to the server on its command line.
inline constexpr std::string_view database_key = "quvo58214763";

// "dbsrv10.exe " name ".db -ek " key; the name goes in unchanged and unquoted.
std::string server_command(std::string_view database);

// The machine role "work" (in any letter case) marks a workstation, where the server is not started.
bool is_workstation(std::string_view net);

}  // namespace quillet::database
