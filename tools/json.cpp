#include "tools/json.h"

#include <cstdio>

namespace quillet_tool {

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::add(std::string_view key, const std::string& value) {
    if (!fields_.empty()) fields_ += ", ";
    fields_ += json_string(key) + ": " + value;
    return *this;
}

JsonObject& JsonObject::text(std::string_view key, std::string_view value) { return add(key, json_string(value)); }
JsonObject& JsonObject::number(std::string_view key, long value) { return add(key, std::to_string(value)); }
JsonObject& JsonObject::flag(std::string_view key, bool value) { return add(key, value ? "true" : "false"); }
JsonObject& JsonObject::object(std::string_view key, const JsonObject& value) { return add(key, value.str()); }

JsonObject& JsonObject::list(std::string_view key, const std::vector<JsonObject>& values) {
    std::string items;
    for (const auto& v : values) items += (items.empty() ? "" : ", ") + v.str();
    return add(key, "[" + items + "]");
}

void JsonObject::print() const { std::printf("%s\n", str().c_str()); }

}  // namespace quillet_tool
