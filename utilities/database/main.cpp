#include "../frame/run.h"
#include "database.h"

int main(int argc, char** argv) { return quillet::ui::run(quillet::database::program, argc, argv); }
