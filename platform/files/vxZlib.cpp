// zlib streams in memory: deflate and inflate with the window (zlib or gzip
// framing) the caller chooses.
#include "platform/files/vxZlib.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace vxZlib {
namespace {

constexpr size_t kChunk = 64 * 1024;

// zlib counts in 32-bit units; feed it at most this much at a time.
constexpr size_t kMaxFeed = UINT_MAX / 2;

Bytef* In(std::string_view s) { return reinterpret_cast<Bytef*>(const_cast<char*>(s.data())); }

}  // namespace

uint32_t Crc32(uint32_t Crc, const void* Buffer, size_t Length) {
  if (!Buffer) return 0;
  const auto* p = static_cast<const Bytef*>(Buffer);
  uLong c = Crc;
  while (Length > 0) {
    const size_t feed = std::min(Length, kMaxFeed);
    c = crc32(c, p, static_cast<uInt>(feed));
    p += feed;
    Length -= feed;
  }
  return static_cast<uint32_t>(c);
}

std::string Deflate(std::initializer_list<std::string_view> parts, int level, int windowBits) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw EZCompressionError("compression error: cannot start the compressor");
  std::string out;
  auto run = [&](std::string_view input, int flush) {
    do {
      const size_t feed = std::min(input.size(), kMaxFeed);
      z.next_in = In(input);
      z.avail_in = static_cast<uInt>(feed);
      const int lastFlush = feed == input.size() ? flush : Z_NO_FLUSH;
      int rc;
      do {
        const size_t used = out.size();
        out.resize(used + kChunk);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + used);
        z.avail_out = static_cast<uInt>(kChunk);
        rc = deflate(&z, lastFlush);
        out.resize(used + kChunk - z.avail_out);
        if (rc == Z_STREAM_ERROR) {
          deflateEnd(&z);
          throw EZCompressionError("compression error");
        }
      } while (z.avail_out == 0 || (lastFlush == Z_FINISH && rc != Z_STREAM_END));
      input.remove_prefix(feed);
    } while (!input.empty());
  };
  for (std::string_view part : parts) run(part, Z_NO_FLUSH);
  run({}, Z_FINISH);
  deflateEnd(&z);
  return out;
}

struct TInflater::Stream {
  z_stream z{};
  ~Stream() { inflateEnd(&z); }
};

TInflater::TInflater(std::string_view stream, int windowBits) : FStream(std::make_unique<Stream>()), FInput(stream) {
  if (inflateInit2(&FStream->z, windowBits) != Z_OK)
    throw EZDecompressionError("decompression error: cannot start the decompressor");
}

TInflater::~TInflater() = default;

size_t TInflater::Read(std::string& out, size_t count) {
  z_stream& z = FStream->z;
  size_t delivered = 0;
  while (delivered < count && !FEnded) {
    if (z.avail_in == 0 && !FInput.empty()) {
      const size_t feed = std::min(FInput.size(), kMaxFeed);
      z.next_in = In(FInput);
      z.avail_in = static_cast<uInt>(feed);
      FInput.remove_prefix(feed);
    }
    const size_t used = out.size();
    const size_t room = std::min(count - delivered, kChunk);
    out.resize(used + room);
    z.next_out = reinterpret_cast<Bytef*>(out.data() + used);
    z.avail_out = static_cast<uInt>(room);
    const int rc = inflate(&z, Z_NO_FLUSH);
    const size_t got = room - z.avail_out;
    out.resize(used + got);
    delivered += got;
    if (rc == Z_STREAM_END) {
      FEnded = true;
    } else if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_STREAM_ERROR || rc == Z_MEM_ERROR) {
      throw EZDecompressionError("decompression error: the data is damaged or no compressed stream");
    } else if (got == 0 && z.avail_in == 0 && FInput.empty()) {
      throw EZDecompressionError("decompression error: the stream ends early");
    }
  }
  return delivered;
}

}  // namespace vxZlib
