/*
 * Runs an instruction file against the reader on COM1 (QUILLET_COM1 on Linux):
 *
 *     run-instructions personalise_card.ins
 *
 * Output files and the scratch files ins.ins and data.tmp go to the current directory.
 * Tells which instruction failed, if one did.
 */
#include <stdio.h>

#include "quillet.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s INSTRUCTION-FILE\n", argv[0]);
        return 2;
    }
    const int32_t handle = ic_init(0, 9600);
    if (handle < 0) {
        fprintf(stderr, "no port (%d): set QUILLET_COM1 to the reader's serial device\n", (int)handle);
        return 1;
    }
    int16_t failed = 0;
    const int16_t status = exp_dis(handle, argv[1], &failed);
    ic_exit(handle);
    if (status == 0) {
        printf("%s: every instruction ran\n", argv[1]);
        return 0;
    }
    if (status == 254 && failed == 0)
        fprintf(stderr, "%s: status 254: the file cannot be read, an instruction does not parse, or the first "
                        "instruction's command cannot be run\n", argv[1]);
    else
        fprintf(stderr, "%s: instruction %d (counting from 0) failed with status %d\n", argv[1], failed, status);
    return 1;
}
