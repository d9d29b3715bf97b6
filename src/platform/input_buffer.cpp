#include "platform/input_buffer.h"

#include <algorithm>
#include <chrono>

#include "platform/key_decoder.h"
#include "platform/terminal.h"

namespace pellux::platform {
namespace {

constexpr int kEscape = 27;

// Decodes one key into the code queue; false when the buffer holds no complete key.
bool decode_one(InputBuffer& in, bool more_may_follow) {
    if (in.bytes.empty()) return false;
    const DecodedKey key = decode_key(in.bytes, more_may_follow);
    if (key.length == 0) return false;
    in.bytes.erase(0, key.length);
    in.codes.insert(in.codes.end(), key.codes.begin(), key.codes.end());
    return true;
}

InputBuffer stdin_bytes;
InputBuffer script_bytes;
bool scripted = false;

void fill(InputBuffer& in, const ByteSource& source, int timeout_ms) {
    if (source(in.bytes, timeout_ms) == FillResult::at_end) in.at_end = true;
}

}  // namespace

FillResult no_more_bytes(std::string&, int) { return FillResult::at_end; }

int next_key(InputBuffer& in, const ByteSource& source, int escape_wait_ms) {
    for (;;) {
        if (!in.codes.empty()) {
            const int code = in.codes.front();
            in.codes.pop_front();
            return code;
        }
        if (decode_one(in, !in.at_end)) continue;
        if (in.at_end) return kEscape;
        const bool partial = !in.bytes.empty();
        const FillResult result = source(in.bytes, partial ? escape_wait_ms : -1);
        if (result == FillResult::at_end) in.at_end = true;
        if (result == FillResult::timed_out && partial) decode_one(in, false);
    }
}

std::string next_line(InputBuffer& in, const ByteSource& source) {
    for (;;) {
        const auto end = in.bytes.find('\n');
        if (end != std::string::npos || in.at_end) {
            std::string line = in.bytes.substr(0, end);
            in.bytes.erase(0, end == std::string::npos ? std::string::npos : end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        fill(in, source, -1);
    }
}

bool key_ready(InputBuffer& in, const ByteSource& source, int timeout_ms) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    for (;;) {
        // A sequence that gives no key (a focus report, a paste marker) must not count as one.
        while (!in.bytes.empty()) {
            const DecodedKey key = decode_key(in.bytes, !in.at_end);
            if (key.length == 0 || !key.codes.empty()) break;
            in.bytes.erase(0, key.length);
        }
        if (!in.codes.empty() || !in.bytes.empty() || in.at_end) return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now());
        const int remaining = static_cast<int>(std::max<long long>(left.count(), 0));
        const FillResult result = source(in.bytes, remaining);
        if (result == FillResult::at_end) in.at_end = true;
        if (result == FillResult::timed_out && clock::now() >= deadline) return false;
    }
}

InputBuffer& stdin_buffer() { return stdin_bytes; }

InputBuffer* script_buffer() { return scripted ? &script_bytes : nullptr; }

void set_scripted_input(const std::string& bytes) {
    scripted = true;
    script_bytes = InputBuffer{};
    script_bytes.bytes = bytes;
}

void clear_scripted_input() {
    scripted = false;
    script_bytes = InputBuffer{};
    stdin_bytes = InputBuffer{};
}

}  // namespace pellux::platform
