// An output stream that accepts everything and keeps nothing: the trace
// still formats every line, so its cost stays in the measurement, but no
// file or pipe speed gets into it.
#pragma once

#include <ostream>
#include <streambuf>

namespace bench {

class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The buffer is a base so that it exists before the stream is given it.
class NullStream final : private NullBuffer, public std::ostream {
 public:
  NullStream() : std::ostream(static_cast<NullBuffer*>(this)) {}
};

}  // namespace bench
