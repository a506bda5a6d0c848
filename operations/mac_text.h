// The MAC text of a list row read back into the six bytes a set-network command carries.
#pragma once

#include <string_view>

#include "discovery/wire_format.h"

namespace quelvar {

// Reads `text` as "%2x:%2x:%2x:%2x:%2x:%2x" does: six hexadecimal numbers of at most two digits each
// (either case, blanks before a number skipped, a sign allowed) separated by colons. Reading stops at
// the first part that does not match, and the bytes not read stay 0: an empty text gives six zeros.
MacAddress ParseMacText(std::string_view text);

}  // namespace quelvar
