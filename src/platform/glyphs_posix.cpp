#include "platform/glyphs.h"

namespace pellux::platform {

const BoxGlyphs& box_glyphs() {
    static const BoxGlyphs glyphs{"\u2554", "\u2557", "\u255a", "\u255d", "\u2550", "\u2551"};
    return glyphs;
}

// UTF-8: every byte that is not a continuation byte starts a character.
std::size_t text_width(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++width;
    }
    return width;
}

std::string first_characters(const std::string& text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == count) return text.substr(0, i);
            ++seen;
        }
    }
    return text;
}

const char* null_device() { return "/dev/null"; }

}  // namespace pellux::platform
