// Keys and lines read from one buffer of bytes, whatever fills it: a terminal, a pipe or a test
// script. Keys and lines share the buffer, so a line typed after a key starts right after it.
#pragma once

#include <deque>
#include <functional>
#include <string>

namespace pellux::platform {

struct InputBuffer {
    std::string bytes;      // read from the source, not yet handed out
    std::deque<int> codes;  // decoded but not yet handed out (the second code of an extended key)
    bool at_end = false;    // the source has no more bytes
};

enum class FillResult { got_bytes, timed_out, at_end };
// Appends what the source has to `bytes`, waiting at most `timeout_ms` (negative: no limit).
using ByteSource = std::function<FillResult(std::string& bytes, int timeout_ms)>;

// A source with nothing (more) to give: a script's bytes are all in the buffer from the start.
FillResult no_more_bytes(std::string& bytes, int timeout_ms);

// The next key code; at the end of the input, Escape. `escape_wait_ms` is how long a started
// escape sequence may wait for its next byte (negative: as long as it takes, for a pipe).
int next_key(InputBuffer& in, const ByteSource& source, int escape_wait_ms);

// The next line without its line end (a carriage return before it is dropped too); at the end
// of the input, an empty line.
std::string next_line(InputBuffer& in, const ByteSource& source);

// True as soon as a key can be read without waiting: a decoded code, buffered bytes that are not
// merely a swallowed sequence, or the end of the input (which reads as Escape).
bool key_ready(InputBuffer& in, const ByteSource& source, int timeout_ms);

// The bytes of standard input while it is read through the decoder (a pipe, or a POSIX terminal).
InputBuffer& stdin_buffer();

// The test script that stands in for standard input on every platform; null when none is set
// (set_scripted_input and clear_scripted_input of terminal.h fill and drop it).
InputBuffer* script_buffer();

}  // namespace pellux::platform
