#include "core/status.h"

namespace quillet {

namespace {
constexpr StatusInfo table[] = {
    {Status::ok, "ok", "success"},
    {Status::read_failed, "read_failed", "a read call failed, or a read-back failed"},
    {Status::write_failed, "write_failed", "a write call failed, or the bytes read back differ"},
    {Status::reader_0x83, "reader_0x83", "the reader answered with status byte 0x83"},
    {Status::timeout, "timeout", "no reply byte within its limit"},
    {Status::wrong_card, "wrong_card", "the inserted card is not of the family"},
    {Status::value_too_small, "value_too_small", "the stored value is smaller than the amount"},
    {Status::port_error, "port_error", "the port cannot be opened, configured or closed"},
    {Status::bad_bcc, "bad_bcc", "reply BCC wrong"},
    {Status::reply_too_long, "reply_too_long", "the reply announced more data than its buffer holds"},
    {Status::no_reader, "no_reader", "no reader answers, or a character is not a hexadecimal digit"},
    {Status::bad_lead, "bad_lead", "the reply's first byte is not 0x55"},
    {Status::bad_length, "bad_length", "a length or count argument is out of range"},
    {Status::bad_address, "bad_address", "an address, offset or zone argument is out of range"},
    {Status::bad_argument, "bad_argument", "an argument cannot be used safely"},
    {Status::response_too_long, "response_too_long", "a card's answer or response passes the bounds the library writes"},
    {Status::port_busy, "port_busy", "the serial port is held by another program"},
    {Status::bad_slot, "bad_slot", "a slot selector outside 0..5"},
};
}  // namespace

StatusInfo describe(Status s) {
    for (const StatusInfo& info : table)
        if (info.status == s) return info;
    return {s, "reader_refusal", "the reader refused the command (minus its status byte)"};
}

}  // namespace quillet
