// A small deflate compressor for the PNG images the build writes (the
// application icon): LZ77 matches found through hash chains, coded with
// the fixed Huffman codes, or stored where that would be smaller. No
// dynamic codes: the icon's filtered rows are long runs and repeats, which
// fixed codes already take from 6.9 MB to under 100 KB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace backend {

// Adler-32 of `size` bytes, as a zlib stream ends with it.
std::uint32_t adler32(const unsigned char* data, std::size_t size);

// The zlib stream of `size` bytes: a header, deflate blocks, Adler-32.
// The work is linear in `size`: each position tries a bounded number of
// earlier candidates.
std::string zlibCompress(const unsigned char* data, std::size_t size);

}  // namespace backend
