#include "console/progress_stream.h"

#include <iostream>

#include "platform/glyphs.h"

namespace pellux {

MyStream::MyStream() : std::ostream(std::cout.rdbuf()), null_stream_(platform::null_device()) {}

void MyStream::mute() { rdbuf(null_stream_.rdbuf()); }

void MyStream::unmute() { rdbuf(std::cout.rdbuf()); }

MyStream progress_out;

}  // namespace pellux
