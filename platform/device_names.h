// Which device a serial port number opens.
#pragma once

#include <string>

namespace quillet {

// Port number 0..8 is "COM1".."COM9", 9..19 the device-namespace form "\\.\COM10".."\\.\COM20".
std::string windows_device_name(int port_number);

// On POSIX systems port number n opens the device named by the environment variable
// QUILLET_COM<n+1> when it is set (QUILLET_COM1 for port 0), else /dev/ttyS<n>.
std::string posix_device_name(int port_number);

// The device port number n opens on this platform.
std::string serial_device_name(int port_number);

}  // namespace quillet
