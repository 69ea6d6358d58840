#include "platform/device_names.h"

#include <cstdlib>

namespace quillet {

std::string windows_device_name(int port_number) {
    const std::string com = "COM" + std::to_string(port_number + 1);
    return port_number < 9 ? com : "\\\\.\\" + com;
}

std::string serial_device_name(int port_number) {
#ifdef _WIN32
    return windows_device_name(port_number);
#else
    return posix_device_name(port_number);
#endif
}

std::string posix_device_name(int port_number) {
    const std::string variable = "QUILLET_COM" + std::to_string(port_number + 1);
    if (const char* path = std::getenv(variable.c_str()); path && *path) return path;
    return "/dev/ttyS" + std::to_string(port_number);
}

}  // namespace quillet
