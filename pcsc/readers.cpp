#include "pcsc/readers.h"

#include <cstdlib>

#include "quillet.h"

namespace quillet_pcsc {

namespace {

std::mutex registry_lock;
std::map<unsigned long, std::shared_ptr<Reader>>& registry() {
    static std::map<unsigned long, std::shared_ptr<Reader>> readers;
    return readers;
}

bool parse_number(const std::string& text, long low, long high, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && value >= low && value <= high;
}

}  // namespace

bool parse_device_name(const std::string& text, Connection& connection) {
    const size_t first = text.find(':');
    connection.device = text.substr(0, first);
    if (connection.device.empty()) return false;
    if (first == std::string::npos) return true;
    const size_t second = text.find(':', first + 1);
    long rate = 0, sams = 0;
    if (!parse_number(text.substr(first + 1, second - first - 1), 0, 115200, rate)) return false;
    if (second != std::string::npos && !parse_number(text.substr(second + 1), 0, 5, sams)) return false;
    connection.rate = static_cast<int32_t>(rate);
    connection.sam_slots = static_cast<int>(sams);
    return true;
}

int open_reader(const Connection& connection, int32_t& handle) {
    // The library finds a serial device through QUILLET_COM<n>; the variable is process-wide, so
    // readers are opened one at a time.
    static std::mutex opening;
    const std::lock_guard lock(opening);
    if (!connection.device.empty()) {
        const std::string variable = "QUILLET_COM" + std::to_string(connection.port + 1);
        setenv(variable.c_str(), connection.device.c_str(), 1);
    }
    int32_t rate = connection.rate;
    if (rate == 0) {
        rate = chk_baud(connection.port);
        if (rate <= 0) return rate < 0 ? rate : QL_NO_READER;
    }
    handle = ic_init(connection.port, rate);
    if (handle < 0) return handle;
    int16_t state = 0;
    const int16_t status = get_status(handle, &state);
    if (status != QL_OK) {
        ic_exit(handle);
        return status;
    }
    return QL_OK;
}

std::shared_ptr<Reader> find_reader(unsigned long lun) {
    const std::lock_guard lock(registry_lock);
    const auto found = registry().find(lun >> 16);
    return found == registry().end() ? nullptr : found->second;
}

void add_reader(unsigned long lun, std::shared_ptr<Reader> reader) {
    const std::lock_guard lock(registry_lock);
    registry()[lun >> 16] = std::move(reader);
}

bool attach_slot(unsigned long lun) {
    const std::lock_guard lock(registry_lock);
    const auto found = registry().find(lun >> 16);
    if (found == registry().end() || (lun & 0xFFFF) >= found->second->slots.size()) return false;
    ++found->second->channels;
    return true;
}

bool release_slot(unsigned long lun, std::shared_ptr<Reader>& closing) {
    const std::lock_guard lock(registry_lock);
    const auto found = registry().find(lun >> 16);
    if (found == registry().end()) return false;
    if (--found->second->channels == 0) {
        closing = found->second;
        registry().erase(found);
    }
    return true;
}

}  // namespace quillet_pcsc
