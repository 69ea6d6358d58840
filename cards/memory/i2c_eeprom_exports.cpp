// Exports of the I2C EEPROM cards 24C01A .. 24C64: one implementation, one table row per size.
#include "cards/memory/i2c_eeprom.h"
#include "cards/memory/memory_exports.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;

QL_SIZED_MEMORY_EXPORTS(24c01a, i2c_eeprom, c01a)
QL_SIZED_MEMORY_EXPORTS(24c02, i2c_eeprom, c02)
QL_SIZED_MEMORY_EXPORTS(24c04, i2c_eeprom, c04)
QL_SIZED_MEMORY_EXPORTS(24c08, i2c_eeprom, c08)
QL_SIZED_MEMORY_EXPORTS(24c16, i2c_eeprom, c16)
QL_SIZED_MEMORY_EXPORTS(24c32, i2c_eeprom, c32)
QL_SIZED_MEMORY_EXPORTS(24c64, i2c_eeprom, c64)
