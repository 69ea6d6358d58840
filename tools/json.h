// One JSON object for --json output, written field by field: {"family": "sle4442", "length": 4}.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet_tool {

// The text as a JSON string, quotes included; control characters escaped.
std::string json_string(std::string_view text);

class JsonObject {
public:
    JsonObject& text(std::string_view key, std::string_view value);
    JsonObject& number(std::string_view key, long value);
    JsonObject& flag(std::string_view key, bool value);
    JsonObject& object(std::string_view key, const JsonObject& value);
    JsonObject& list(std::string_view key, const std::vector<JsonObject>& values);
    std::string str() const { return "{" + fields_ + "}"; }
    // Prints it on stdout, one line.
    void print() const;

private:
    JsonObject& add(std::string_view key, const std::string& value);
    std::string fields_;
};

}  // namespace quillet_tool
