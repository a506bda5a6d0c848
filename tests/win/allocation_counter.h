// Counts the bytes this thread holds through operator new, so a test can see that every record was freed.
#pragma once

#include <cstdint>

namespace quelvar::testing {

// Bytes allocated by this thread and not yet freed by it.
std::int64_t LiveBytesOnThisThread();

}  // namespace quelvar::testing
