#include "platform/key_decoder.h"

namespace pellux::platform {
namespace {

constexpr unsigned char kEscape = 27;
constexpr int kExtended = 224;

bool is_parameter(unsigned char c) { return c >= 0x30 && c <= 0x3f; }
bool is_intermediate(unsigned char c) { return c >= 0x20 && c <= 0x2f; }
bool is_final(unsigned char c) { return c >= 0x40 && c <= 0x7e; }

std::vector<int> extended(int code) { return {kExtended, code}; }

std::vector<int> letter_key(unsigned char final_byte) {
    switch (final_byte) {
        case 'A': return extended(72);
        case 'B': return extended(80);
        case 'C': return extended(77);
        case 'D': return extended(75);
        case 'H': return extended(71);
        case 'F': return extended(79);
        default: return {};
    }
}

// VT220 style keys name themselves by the first number of ESC [ n ~.
std::vector<int> numbered_key(int number) {
    switch (number) {
        case 1: case 7: return extended(71);
        case 4: case 8: return extended(79);
        case 5: return extended(73);
        case 6: return extended(81);
        case 2: return extended(82);
        case 3: return extended(83);
        default: return {};
    }
}

int single_byte_code(unsigned char c) {
    if (c == 127 || c == 8) return 8;
    if (c == '\n' || c == '\r') return 13;
    return c;
}

}  // namespace

DecodedKey decode_key(std::string_view bytes, bool more_may_follow) {
    if (bytes.empty()) return {};
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (at(0) != kEscape) return {{single_byte_code(at(0))}, 1};

    if (bytes.size() == 1) {
        if (more_may_follow) return {};
        return {{kEscape}, 1};
    }
    const unsigned char intro = at(1);
    if (intro != '[' && intro != 'O') return {{kEscape}, 1};

    // The Linux console sends its function keys as ESC [ [ A..E: one byte longer than the rest.
    if (intro == '[' && bytes.size() >= 3 && at(2) == '[') {
        if (bytes.size() == 3) return more_may_follow ? DecodedKey{} : DecodedKey{{}, 3};
        return {{}, 4};
    }

    std::size_t i = 2;
    int first_number = -1;
    bool in_first_number = true;
    for (; i < bytes.size() && is_parameter(at(i)); ++i) {
        const unsigned char c = at(i);
        if (c >= '0' && c <= '9' && in_first_number) {
            if (first_number < 0) first_number = 0;
            if (first_number < 10000) first_number = first_number * 10 + (c - '0');
        } else {
            in_first_number = false;  // what follows the first number are modifiers
        }
    }
    for (; i < bytes.size() && is_intermediate(at(i)); ++i) {
    }
    if (i == bytes.size()) {
        if (more_may_follow) return {};
        return {{}, bytes.size()};
    }
    const unsigned char final_byte = at(i);
    // A control byte cannot be part of a sequence: the sequence ends before it, and the byte
    // (Enter, another Escape) is a key of its own.
    if (!is_final(final_byte)) return {{}, i};
    if (final_byte == '~') {
        if (intro != '[') return {{}, i + 1};
        return {numbered_key(first_number), i + 1};
    }
    return {letter_key(final_byte), i + 1};
}

}  // namespace pellux::platform
