// The progress stream: writes through standard output's buffer and can be muted, so that
// deployment can quiet the archive steps it runs many times.
#pragma once

#include <fstream>
#include <ostream>

namespace pellux {

class MyStream : public std::ostream {
public:
    MyStream();
    void mute();
    void unmute();

private:
    std::ofstream null_stream_;
};

extern MyStream progress_out;

}  // namespace pellux
