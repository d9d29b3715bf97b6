#include "platform/glyphs.h"

namespace pellux::platform {

// Code page 437 bytes, written as they are.
const BoxGlyphs& box_glyphs() {
    static const BoxGlyphs glyphs{"\xC9", "\xBB", "\xC8", "\xBC", "\xCD", "\xBA"};
    return glyphs;
}

std::size_t text_width(const std::string& text) { return text.size(); }

std::string first_characters(const std::string& text, std::size_t count) { return text.substr(0, count); }

const char* null_device() { return "nul"; }

}  // namespace pellux::platform
