// Terminal bytes to the key codes of the Windows console's unbuffered read. A pure function, so
// that a real terminal, a piped standard input and a test script all decode the same way.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace pellux::platform {

struct DecodedKey {
    std::vector<int> codes;   // empty for a sequence that names none of our keys (swallowed whole)
    std::size_t length = 0;   // bytes taken from the front of the input; 0 when more are needed
};

// Decodes the key at the front of `bytes`. When the bytes stop inside an escape sequence and
// `more_may_follow`, nothing is taken (length 0) so the caller can wait for the rest; otherwise
// the key is decided on what is there (a lone Escape, or a cut-off sequence swallowed).
DecodedKey decode_key(std::string_view bytes, bool more_may_follow);

}  // namespace pellux::platform
