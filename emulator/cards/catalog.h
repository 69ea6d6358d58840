// Card families the virtual reader can hold, by name (the --card option and the control
// channel's "insert" command).
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "emulator/cards/card_model.h"

namespace vreader {

struct CatalogEntry {
    std::string_view family;       // lower case, as typed on the command line
    std::string_view description;  // one line for --help
    std::unique_ptr<CardModel> (*make)();
};

std::span<const CatalogEntry> card_catalog();

// A fresh card of the family (its factory contents); nullptr for an unknown name.
std::unique_ptr<CardModel> make_card(std::string_view family);

// "family" or "family:FILE": the card, with its image loaded from FILE when the file exists
// (a missing file leaves the factory contents; it is created on the first save).
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

// Writes the card's image to the file (through a temporary file and a rename); false on failure.
bool save_card_contents(const CardModel& card, const std::string& file);

}  // namespace vreader
