// Card families the virtual reader can hold, by name (the --card option and the control
// channel's "insert" command).
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "emulator/core/card_model.h"

namespace vreader {

struct CatalogEntry {
    std::string_view family;       // lower case; names are taken in any case
    std::string_view description;  // one line for --help
    std::unique_ptr<CardModel> (*make)();
};

std::span<const CatalogEntry> card_catalog();

// A fresh card of the family (its factory contents); nullptr for an unknown name.
std::unique_ptr<CardModel> make_card(std::string_view family);

// "family" or "family:FILE": the card, with its image loaded from FILE when the file exists
// (a missing file leaves the factory contents; it is created on the first save; a file that is
// there but cannot be read is refused).
struct CardSpec {
    std::string family;
    std::string file;  // empty: no contents file
};
std::optional<CardSpec> parse_card_spec(std::string_view text);

struct LoadedCard {
    std::unique_ptr<CardModel> card;  // nullptr on failure
    std::string error;
};
LoadedCard load_card(const CardSpec& wanted);

// The size a family's contents file has, for messages and --help: "264 bytes", "up to 256 bytes".
std::string image_size_text(const CardModel& card);

// Writes the card's image to the file as one step (emulator/core/replace_file.h); false on failure.
bool save_card_contents(const CardModel& card, const std::string& file);
// Whether save_card_contents can write there (a temporary file tried beside it); error says why not.
bool can_save_card_contents(const std::string& file, std::string& error);

}  // namespace vreader
