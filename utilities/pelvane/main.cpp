#include "../frame/run.h"
#include "pelvane.h"

int main(int argc, char** argv) { return quillet::ui::run(quillet::pelvane::program, argc, argv); }
