// ===================================================================================================
// PENDING: exports of card families that are not in this build yet.
//
// chk_card and the instruction-file command dispatcher name these exports in their tables as
// pending::<export>. Until a family lands, each of its names here is a null pointer of the
// export's type: chk_card counts the try as refused (the contacts are still switched off before
// it), and the dispatcher answers a command that calls it with 254, as for an unknown name.
//
// To enable a family once its exports are declared in quillet.h, replace its lines
//     inline constexpr exports::ReadTwo srd_4404 = nullptr;
// by
//     using ::srd_4404;
// (for everything at once: sed -E -i 's/^inline constexpr exports::[A-Za-z]+ ([A-Za-z0-9_]+) = nullptr;/using ::\1;/'
// reader/pending_exports.h). The tables then call the real export; a signature that differs from
// the type written here stops the build at the table row. When no line is left, delete this file
// and the "pending::" prefixes.
// ===================================================================================================
#pragma once

#include "reader/export_pointers.h"

namespace quillet::pending {

// AT45D041 flash cards
inline constexpr exports::WriteThree swr_45d041 = nullptr;
inline constexpr exports::ReadThree srd_45d041 = nullptr;
inline constexpr exports::WriteThree Write_45 = nullptr;
inline constexpr exports::ReadThree Read_45 = nullptr;
inline constexpr exports::Read rdstrg_45d041 = nullptr;
inline constexpr exports::Plain chk_45d041 = nullptr;

// SSF1101 cards
inline constexpr exports::Plain chk_ssf1101 = nullptr;

// SLE4404
inline constexpr exports::WriteTwo swr_4404 = nullptr;
inline constexpr exports::ReadTwo srd_4404 = nullptr;
inline constexpr exports::WriteOne csc_4404 = nullptr;
inline constexpr exports::WriteOne wsc_4404 = nullptr;
inline constexpr exports::ReadOne rsc_4404 = nullptr;
inline constexpr exports::Counter rsct_4404 = nullptr;
inline constexpr exports::WriteOne cesc_4404 = nullptr;
inline constexpr exports::WriteOne wesc_4404 = nullptr;
inline constexpr exports::ReadOne resc_4404 = nullptr;
inline constexpr exports::Counter resct_4404 = nullptr;
inline constexpr exports::PlainTwo ser_4404 = nullptr;
inline constexpr exports::PlainShort fakefus_4404 = nullptr;
inline constexpr exports::Plain clrpr_4404 = nullptr;
inline constexpr exports::Plain clrrd_4404 = nullptr;
inline constexpr exports::Plain psnl_4404 = nullptr;
inline constexpr exports::Plain chk_4404 = nullptr;

// SLE4406
inline constexpr exports::WriteTwo swr_4406 = nullptr;
inline constexpr exports::ReadTwo srd_4406 = nullptr;
inline constexpr exports::WriteOne csc_4406 = nullptr;
inline constexpr exports::WriteOne wsc_4406 = nullptr;
inline constexpr exports::ReadOne rsc_4406 = nullptr;
inline constexpr exports::Counter rsct_4406 = nullptr;
inline constexpr exports::PlainShort eswc_4406 = nullptr;
inline constexpr exports::Plain psnl_4406 = nullptr;
inline constexpr exports::Plain chk_4406 = nullptr;

// AT88SC102
inline constexpr exports::WriteThree swr_102 = nullptr;
inline constexpr exports::ReadThree srd_102 = nullptr;
inline constexpr exports::PlainThree ser_102 = nullptr;
inline constexpr exports::WriteOne csc_102 = nullptr;
inline constexpr exports::WriteOne wsc_102 = nullptr;
inline constexpr exports::ReadOne rsc_102 = nullptr;
inline constexpr exports::Counter rsct_102 = nullptr;
inline constexpr exports::WriteTwo cesc_102 = nullptr;
inline constexpr exports::WriteTwo wesc_102 = nullptr;
inline constexpr exports::ReadTwo resc_102 = nullptr;
inline constexpr exports::CounterOne resct_102 = nullptr;
inline constexpr exports::PlainShort clrpr_102 = nullptr;
inline constexpr exports::PlainShort clrrd_102 = nullptr;
inline constexpr exports::PlainShort fakefus_102 = nullptr;
inline constexpr exports::Plain psnl_102 = nullptr;
inline constexpr exports::Plain chk_102 = nullptr;

// AT88SC1604B
inline constexpr exports::WriteThree swr_1604b = nullptr;
inline constexpr exports::ReadThree srd_1604b = nullptr;
inline constexpr exports::PlainThree ser_1604b = nullptr;
inline constexpr exports::WriteTwo csc_1604b = nullptr;
inline constexpr exports::WriteTwo wsc_1604b = nullptr;
inline constexpr exports::ReadTwo rsc_1604b = nullptr;
inline constexpr exports::CounterOne rsct_1604b = nullptr;
inline constexpr exports::WriteTwo cesc_1604b = nullptr;
inline constexpr exports::WriteTwo wesc_1604b = nullptr;
inline constexpr exports::ReadTwo resc_1604b = nullptr;
inline constexpr exports::CounterOne resct_1604b = nullptr;
inline constexpr exports::PlainShort clrpr_1604b = nullptr;
inline constexpr exports::PlainShort clrrd_1604b = nullptr;
inline constexpr exports::PlainShort fakefus_1604b = nullptr;
inline constexpr exports::Plain psnl_1604b = nullptr;
inline constexpr exports::Plain chk_1604b = nullptr;

// AT88SC1604
inline constexpr exports::WriteThree swr_1604 = nullptr;
inline constexpr exports::ReadThree srd_1604 = nullptr;
inline constexpr exports::PlainThree ser_1604 = nullptr;
inline constexpr exports::WriteTwo csc_1604 = nullptr;
inline constexpr exports::WriteTwo wsc_1604 = nullptr;
inline constexpr exports::ReadTwo rsc_1604 = nullptr;
inline constexpr exports::CounterOne rsct_1604 = nullptr;
inline constexpr exports::WriteTwo cesc_1604 = nullptr;
inline constexpr exports::WriteTwo wesc_1604 = nullptr;
inline constexpr exports::ReadTwo resc_1604 = nullptr;
inline constexpr exports::CounterOne resct_1604 = nullptr;
inline constexpr exports::PlainShort clrpr_1604 = nullptr;
inline constexpr exports::PlainShort clrrd_1604 = nullptr;
inline constexpr exports::PlainShort fakefus_1604 = nullptr;
inline constexpr exports::Plain psnl_1604 = nullptr;
inline constexpr exports::Plain chk_1604 = nullptr;

// Processor cards
inline constexpr exports::Read cpu_reset = nullptr;
inline constexpr exports::Exchange cpu_protocol = nullptr;

}  // namespace quillet::pending
