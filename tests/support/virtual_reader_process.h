// The virtual reader as the tests use it: a quillet-vreader process on a pseudo-terminal, driven
// through its control socket.
//
//   #include "tests/support/virtual_reader_process.h"
//
//   TEST(ReaderVersion, AsksForTenBytes) {
//       quillet::test::VirtualReaderProcess vr({"--card", "sle4442", "--version", "NOBLU-V1.23"});
//       vr.export_port(0);                       // QUILLET_COM1 = the pseudo-terminal
//       const int32_t h = ic_init(0, 9600);
//       uint8_t text[18] = {};
//       vr.clear_log();
//       EXPECT_EQ(srd_ver(h, 10, text), 0);
//       const auto sent = vr.host_frames();     // exact frames, BCC included
//       ASSERT_EQ(sent.size(), 1u);
//       EXPECT_EQ(sent[0], (quillet::test::Bytes{0xAA, 0xB0, 0x00, 0x07, 0x80, 0, 0, 0, 0, 0, 0x0A, 0x97}));
//       vr.set_fault("status 0x96");             // the next reply refuses (emulator/core/fault_plan.h)
//       vr.set_fault(quillet::test::Fault::drop().at(2));  // the reply to the 2nd frame from now is lost
//       ic_exit(h);
//   }
//
// Each control call records a test failure (ADD_FAILURE) when the reader answers "err" or does
// not answer; command() returns the raw answer for tests that expect a refusal. The process is
// asked to quit, then killed if need be, when the object goes; it lives in a fresh temporary
// directory that goes with it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace quillet::test {

using Bytes = std::vector<uint8_t>;

// One frame of the reader's log: '>' host to reader, '<' reader to host.
struct WireFrame {
    char direction;
    Bytes bytes;
    bool operator==(const WireFrame&) const = default;
};

// A fault for set_fault(), written as the control channel reads it.
class Fault {
public:
    static Fault drop() { return Fault("drop"); }
    static Fault wrong_lead(uint8_t lead = 0xA5) { return Fault("lead " + std::to_string(lead)); }
    static Fault bad_bcc() { return Fault("bcc"); }
    static Fault status(uint8_t status_byte) { return Fault("status " + std::to_string(status_byte)); }
    static Fault delay(uint32_t ms) { return Fault("delay " + std::to_string(ms)); }
    static Fault garbage(uint32_t count = 16) { return Fault("garbage " + std::to_string(count)); }
    static Fault truncate(uint32_t kept_bytes) { return Fault("truncate " + std::to_string(kept_bytes)); }
    static Fault oversize(uint32_t announced) { return Fault("oversize " + std::to_string(announced)); }
    static Fault oversize(uint32_t announced, uint32_t sent) {
        return Fault("oversize " + std::to_string(announced) + " " + std::to_string(sent));
    }
    static Fault corrupt() { return Fault("corrupt"); }  // first data byte reads back wrong
    // A well-formed reply carrying only its first data_bytes data bytes.
    static Fault shortened(uint32_t data_bytes) { return oversize(data_bytes); }
    // The reply's bytes one every ms milliseconds; combines with another fault on the same frame.
    static Fault drip(uint32_t ms) { return Fault("drip " + std::to_string(ms)); }
    static Fault never() { return Fault("never"); }  // no reader attached, until clear_faults()
    // A processor card's blocks answered with S(WTX request), not carried out; other frames as usual.
    static Fault wtx() { return Fault("wtx"); }
    // The reader answers status 0 with these data bytes; the command is not carried out.
    static Fault answer(const Bytes& data) {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string text = "answer ";
        for (uint8_t b : data) text += {digits[b >> 4], digits[b & 0x0F]};
        return Fault(text);
    }

    Fault next(uint32_t frames) const { return Fault(text_ + " next " + std::to_string(frames)); }  // the next N frames
    Fault at(uint32_t frame) const { return Fault(text_ + " at " + std::to_string(frame)); }        // only the k-th from now
    const std::string& text() const { return text_; }

private:
    explicit Fault(std::string text) : text_(std::move(text)) {}
    std::string text_;
};

class VirtualReaderProcess {
public:
    // args: options of quillet-vreader ("--card", "sle4442:file", "--rate", "115200", ...);
    // --control is added here.
    explicit VirtualReaderProcess(std::initializer_list<std::string> args = {});
    explicit VirtualReaderProcess(const std::vector<std::string>& args);
    ~VirtualReaderProcess();
    VirtualReaderProcess(const VirtualReaderProcess&) = delete;
    VirtualReaderProcess& operator=(const VirtualReaderProcess&) = delete;

    bool running() const { return control_fd_ >= 0; }
    pid_t pid() const { return pid_; }
    const std::string& pty_path() const { return pty_path_; }
    const std::string& directory() const { return directory_; }  // temporary, for contents files
    // Points the library's port number at the pseudo-terminal: QUILLET_COM<port_number + 1>.
    void export_port(int port_number = 0) const;

    // One control line; the whole answer, its lines joined with '\n' ("ok ...", "err ...").
    std::string command(const std::string& line);
    // The answer's text after "ok" (listing lines before it dropped); a test failure on "err".
    std::string expect_ok(const std::string& line);

    void insert_card(const std::string& family_and_file);  // "sle4442" or "sle4442:/path"
    void remove_card();
    Bytes card_contents();
    void load_card_contents(std::span<const uint8_t> image);

    Bytes read_memory(uint16_t address, size_t count);
    void write_memory(uint16_t address, std::span<const uint8_t> bytes);
    void set_version(const std::string& text);
    void set_rate(uint32_t baud);
    void set_empty_state(const std::string& state);  // "zero", "86", "89"

    void set_fault(const Fault& fault) { set_fault(fault.text()); }
    void set_fault(const std::string& wanted);
    void clear_faults();

    std::vector<WireFrame> frames();          // both directions, in order, notes left out
    std::vector<Bytes> host_frames();         // only what the host sent
    std::vector<std::string> log_lines();     // everything, notes ('#') included
    void clear_log();
    std::vector<int> beeps();                 // buzzer units, in order

    // Asks the process to quit and waits for it; true when it ended by itself with status 0.
    bool stop();
    // Sends SIGTERM and waits; true when the process ended cleanly with status 0.
    bool terminate();

private:
    void start(const std::vector<std::string>& args);
    std::vector<std::string> exchange_lines(const std::string& line);

    pid_t pid_ = -1;
    int control_fd_ = -1;
    std::string directory_;
    std::string pty_path_;
    std::string pending_input_;
};

}  // namespace quillet::test
