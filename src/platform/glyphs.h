// The six box characters and the width of console texts: code page 437 bytes on Windows,
// UTF-8 characters on POSIX.
#pragma once

#include <cstddef>
#include <string>

namespace pellux::platform {

struct BoxGlyphs {
    std::string top_left, top_right, bottom_left, bottom_right, horizontal, vertical;
};

const BoxGlyphs& box_glyphs();

// Width in characters (not bytes) of a console text.
std::size_t text_width(const std::string& text);
// The first `count` characters of a text.
std::string first_characters(const std::string& text, std::size_t count);

// The null device the progress stream is muted into ("nul" on Windows).
const char* null_device();

}  // namespace pellux::platform
