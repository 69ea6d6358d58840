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
using ::swr_45d041;
using ::srd_45d041;
using ::Write_45;
using ::Read_45;
using ::rdstrg_45d041;
using ::chk_45d041;

// SSF1101 cards
using ::chk_ssf1101;

// SLE4404
using ::swr_4404;
using ::srd_4404;
using ::csc_4404;
using ::wsc_4404;
using ::rsc_4404;
using ::rsct_4404;
using ::cesc_4404;
using ::wesc_4404;
using ::resc_4404;
using ::resct_4404;
using ::ser_4404;
using ::fakefus_4404;
using ::clrpr_4404;
using ::clrrd_4404;
using ::psnl_4404;
using ::chk_4404;

// SLE4406
using ::swr_4406;
using ::srd_4406;
using ::csc_4406;
using ::wsc_4406;
using ::rsc_4406;
using ::rsct_4406;
using ::eswc_4406;
using ::psnl_4406;
using ::chk_4406;

// AT88SC102
using ::swr_102;
using ::srd_102;
using ::ser_102;
using ::csc_102;
using ::wsc_102;
using ::rsc_102;
using ::rsct_102;
using ::cesc_102;
using ::wesc_102;
using ::resc_102;
using ::resct_102;
using ::clrpr_102;
using ::clrrd_102;
using ::fakefus_102;
using ::psnl_102;
using ::chk_102;

// AT88SC1604B
using ::swr_1604b;
using ::srd_1604b;
using ::ser_1604b;
using ::csc_1604b;
using ::wsc_1604b;
using ::rsc_1604b;
using ::rsct_1604b;
using ::cesc_1604b;
using ::wesc_1604b;
using ::resc_1604b;
using ::resct_1604b;
using ::clrpr_1604b;
using ::clrrd_1604b;
using ::fakefus_1604b;
using ::psnl_1604b;
using ::chk_1604b;

// AT88SC1604
using ::swr_1604;
using ::srd_1604;
using ::ser_1604;
using ::csc_1604;
using ::wsc_1604;
using ::rsc_1604;
using ::rsct_1604;
using ::cesc_1604;
using ::wesc_1604;
using ::resc_1604;
using ::resct_1604;
using ::clrpr_1604;
using ::clrrd_1604;
using ::fakefus_1604;
using ::psnl_1604;
using ::chk_1604;

// Processor cards
inline constexpr exports::Read cpu_reset = nullptr;
inline constexpr exports::Exchange cpu_protocol = nullptr;

}  // namespace quillet::pending
