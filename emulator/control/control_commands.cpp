#include "emulator/control/control_commands.h"

#include <array>
#include <sstream>

#include "emulator/cards/catalog.h"

namespace vreader {

namespace {

using Lines = std::vector<std::string>;

struct Args {
    std::vector<std::string_view> words;  // views into the line
    const char* line_end = nullptr;

    size_t size() const { return words.size(); }
    std::string_view operator[](size_t i) const { return i < words.size() ? words[i] : std::string_view{}; }
    // The line from word i to its end, spaces kept.
    std::string_view rest(size_t i) const {
        return i < words.size() ? std::string_view(words[i].data(), static_cast<size_t>(line_end - words[i].data())) : std::string_view{};
    }
};

Args split(std::string_view text) {
    Args a;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ') ++i;
        if (i > start) a.words.push_back(text.substr(start, i - start));
    }
    return a;
}

Lines ok(const std::string& answer = {}) { return {answer.empty() ? "ok" : "ok " + answer}; }
Lines err(const std::string& why) { return {"err " + why}; }

std::string hex_byte(uint8_t b) {
    std::ostringstream s;
    s << "0x" << std::hex << (b < 0x10 ? "0" : "") << static_cast<int>(b);
    return s.str();
}

std::optional<int> sam_slot(std::string_view word) {
    const auto n = parse_number(word);
    if (!n || *n < 1 || *n > Reader::sam_slots) return std::nullopt;
    return static_cast<int>(*n);
}

Lines cmd_ping(ControlContext&, const Args&) { return ok(); }

Lines cmd_status(ControlContext& c, const Args&) {
    Reader& r = c.reader;
    std::ostringstream s;
    s << "contacts=" << (r.contacts_on() ? "on" : "off") << " card=" << (r.card() ? std::string(r.card()->family()) : "none")
      << " rate=" << r.serial_baud() << " parallel=" << (r.parallel_mode() == ParallelMode::byte ? "byte" : "nibble")
      << " link=" << hex_byte(r.memory().link_byte()) << " frames=" << r.frames_received() << " pulls=" << r.card_pulls()
      << " sam=" << r.selected_sam();
    return ok(s.str());
}

Lines cmd_insert(ControlContext& c, const Args& a) {
    const auto wanted = parse_card_spec(a[0]);
    if (!wanted) return err("usage: insert FAMILY[:FILE]");
    LoadedCard loaded = load_card(*wanted);
    if (!loaded.card) return err(loaded.error);
    c.reader.insert(0, std::move(loaded.card));
    c.card_file = wanted->file;
    return ok(wanted->family);
}

Lines cmd_remove(ControlContext& c, const Args&) {
    c.reader.remove(0);
    c.card_file.clear();
    return ok();
}

Lines cmd_sam(ControlContext& c, const Args& a) {
    const auto slot = sam_slot(a[0]);
    if (!slot || a.size() != 2) return err("usage: sam N FAMILY[:FILE]|none, N 1..5");
    const auto index = static_cast<size_t>(*slot);
    if (a[1] == "none") {
        c.reader.remove(*slot);
        c.sam_files[index].clear();
        return ok();
    }
    const auto wanted = parse_card_spec(a[1]);
    if (!wanted) return err("usage: sam N FAMILY[:FILE]|none, N 1..5");
    LoadedCard loaded = load_card(*wanted);
    if (!loaded.card) return err(loaded.error);
    c.reader.insert(*slot, std::move(loaded.card));
    c.sam_files[index] = wanted->file;
    return ok(wanted->family);
}

Lines cmd_speed(ControlContext& c, const Args& a) {
    const auto slot = parse_number(a[0]);
    if (!slot || *slot > static_cast<uint32_t>(Reader::sam_slots)) return err("usage: speed N, N 0..5");
    return ok(hex_byte(c.reader.slot_speed(static_cast<int>(*slot))));
}

Lines cmd_card(ControlContext& c, const Args&) { return ok(c.reader.card() ? std::string(c.reader.card()->family()) : "none"); }

Lines cmd_contents(ControlContext& c, const Args& a) {
    int slot = 0;
    if (a.size() > 0) {
        const auto s = sam_slot(a[0]);
        if (!s) return err("SAM slot 1..5 expected");
        slot = *s;
    }
    const CardModel* card = c.reader.card(slot);
    if (!card) return err("slot empty");
    return ok(to_hex(card->contents()));
}

Lines cmd_load(ControlContext& c, const Args& a) {
    CardModel* card = c.reader.card();
    if (!card) return err("slot empty");
    const auto image = from_hex(a.rest(0));
    if (!image) return err("hex bytes expected");
    if (!card->load_contents(*image)) return err("image of " + std::to_string(image->size()) + " bytes does not fit the card");
    c.image_loaded = true;
    return ok();
}

Lines cmd_save(ControlContext& c, const Args&) {
    if (!c.reader.card()) return err("slot empty");
    if (c.card_file.empty()) return err("the card has no contents file");
    if (!save_card_contents(*c.reader.card(), c.card_file)) return err("cannot write " + c.card_file);
    return ok(c.card_file);
}

Lines cmd_version(ControlContext& c, const Args& a) {
    if (a.size() > 0) c.reader.set_version(std::string(a.rest(0)));
    return ok(c.reader.version());
}

Lines cmd_rate(ControlContext& c, const Args& a) {
    if (a.size() > 0) {
        const auto baud = parse_number(a[0]);
        if (!baud || !c.reader.set_serial_baud(*baud)) return err("rate must be one of 1200 2400 4800 9600 19200 28800 38400 57600 115200");
    }
    return ok(std::to_string(c.reader.serial_baud()));
}

Lines cmd_parallel(ControlContext& c, const Args& a) {
    if (a[0] == "byte") c.reader.set_parallel_mode(ParallelMode::byte);
    else if (a[0] == "nibble") c.reader.set_parallel_mode(ParallelMode::nibble);
    else if (a.size() > 0) return err("usage: parallel [nibble|byte]");
    return ok(c.reader.parallel_mode() == ParallelMode::byte ? "byte" : "nibble");
}

Lines cmd_link(ControlContext& c, const Args& a) {
    if (a.size() > 0) {
        const auto v = parse_number(a[0]);
        if (!v || *v > 0xFF) return err("link byte 0..0xFF expected");
        c.reader.set_link_byte(static_cast<uint8_t>(*v));
    }
    return ok(hex_byte(c.reader.memory().link_byte()));
}

Lines cmd_mem(ControlContext& c, const Args& a) {
    const auto start = parse_number(a[1]);
    if (a[0] == "read" && a.size() == 3) {
        const auto n = parse_number(a[2]);
        const auto bytes = start && n ? c.reader.memory().read(*start, *n) : std::nullopt;
        if (!bytes) return err("range outside the reader memory (0x0000..0x019F)");
        return ok(to_hex(*bytes));
    }
    if (a[0] == "write" && a.size() >= 3) {
        const auto bytes = from_hex(a.rest(2));
        if (!start || !bytes) return err("usage: mem write ADDR HEX");
        if (!c.reader.memory().write(*start, *bytes)) return err("range outside the reader memory (0x0000..0x019F)");
        return ok();
    }
    return err("usage: mem read ADDR N | mem write ADDR HEX");
}

Lines cmd_empty_state(ControlContext& c, const Args& a) {
    const auto answer = empty_answer_by_name(a[0]);
    if (!answer) return err("usage: empty-state zero|86|89");
    c.reader.set_empty_answer(*answer);
    return ok();
}

Lines cmd_card_state(ControlContext& c, const Args& a) {
    if (a[0] == "card") {
        c.reader.set_card_state(std::nullopt);
        return ok();
    }
    const auto v = parse_number(a[0]);
    if (!v || *v > 0xFF) return err("usage: card-state N|card");
    c.reader.set_card_state(static_cast<uint8_t>(*v));
    return ok();
}

Lines cmd_card_set(ControlContext& c, const Args& a) {
    CardModel* card = c.reader.card();
    if (!card) return err("slot empty");
    const auto value = parse_number(a[1]);
    if (a.size() != 2 || !value) return err("usage: card-set NAME VALUE");
    if (!card->set_setting(a[0], *value)) return err("the " + std::string(card->family()) + " card has no setting '" + std::string(a[0]) + "' taking " + std::string(a[1]));
    return ok();
}

Lines cmd_fault(ControlContext& c, const Args& a) {
    if (a[0] == "clear") {
        c.reader.faults().clear();
        return ok();
    }
    if (a[0] == "list") {
        Lines lines;
        for (auto& d : c.reader.faults().describe()) lines.push_back("fault " + d);
        lines.push_back("ok " + std::to_string(lines.size()));
        return lines;
    }
    std::string why;
    const auto fault = parse_fault(a.rest(0), why);
    if (!fault) return err(why);
    c.reader.faults().add(*fault);
    return ok(fault->describe());
}

Lines cmd_log(ControlContext& c, const Args& a) {
    if (a[0] == "clear") {
        c.reader.log().clear();
        return ok();
    }
    Lines lines;
    for (const auto& e : c.reader.log().entries()) lines.push_back(e.line());
    lines.push_back("ok " + std::to_string(lines.size()));
    return lines;
}

Lines cmd_beeps(ControlContext& c, const Args& a) {
    if (a[0] == "clear") {
        c.reader.clear_beeps();
        return ok();
    }
    std::string units;
    for (uint16_t u : c.reader.beeps()) units += (units.empty() ? "" : " ") + std::to_string(u);
    return ok(units);
}

Lines cmd_quit(ControlContext& c, const Args&) {
    c.quit = true;
    return ok();
}

struct CommandRow {
    std::string_view name;
    Lines (*run)(ControlContext&, const Args&);
};

inline constexpr std::array commands{
    CommandRow{"ping", cmd_ping},         CommandRow{"status", cmd_status},
    CommandRow{"insert", cmd_insert},     CommandRow{"remove", cmd_remove},
    CommandRow{"sam", cmd_sam},           CommandRow{"card", cmd_card},
    CommandRow{"contents", cmd_contents}, CommandRow{"load", cmd_load},
    CommandRow{"save", cmd_save},         CommandRow{"version", cmd_version},
    CommandRow{"rate", cmd_rate},         CommandRow{"parallel", cmd_parallel},
    CommandRow{"link", cmd_link},         CommandRow{"mem", cmd_mem},
    CommandRow{"empty-state", cmd_empty_state}, CommandRow{"card-state", cmd_card_state},
    CommandRow{"fault", cmd_fault},       CommandRow{"log", cmd_log},
    CommandRow{"beeps", cmd_beeps},       CommandRow{"quit", cmd_quit},
    CommandRow{"card-set", cmd_card_set},
    CommandRow{"stop", cmd_quit},
    CommandRow{"speed", cmd_speed},
};

}  // namespace

std::vector<std::string> run_control_command(ControlContext& context, std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.remove_suffix(1);
    const Args all = split(line);
    if (all.size() == 0) return err("empty command");
    Args args;
    args.words.assign(all.words.begin() + 1, all.words.end());
    args.line_end = line.data() + line.size();
    for (const auto& row : commands)
        if (row.name == all[0]) return row.run(context, args);
    return err("unknown command '" + std::string(all[0]) + "'");
}

}  // namespace vreader
