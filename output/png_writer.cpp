#include "output/png_writer.h"

#include <limits>

#include <zlib.h>

namespace pelkora::output {

namespace {

constexpr int kCompressionLevel = 6;
constexpr std::uint64_t kMostChunkBytes = 0x7FFFFFFF;  // the format's own bound

void putU32(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(value >> shift & 0xFF));
}

void putChunk(std::string& out, const char (&type)[5], const std::string& data)
{
    putU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(out.data() + typeAt), 4 + data.size());
    putU32(out, static_cast<std::uint32_t>(crc));
}

std::size_t channels(PngColour colour) { return colour == PngColour::Grey8 ? 1 : 3; }

// Each row behind its filter byte (0: none, the same choice on every row).
std::string filteredRows(const PngPicture& picture)
{
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * channels(picture.colour);
    std::string rows;
    rows.reserve((rowBytes + 1) * static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        rows.push_back('\0');
        const auto* from = picture.samples.data() + static_cast<std::size_t>(y) * rowBytes;
        rows.append(reinterpret_cast<const char*>(from), rowBytes);
    }
    return rows;
}

std::optional<std::string> deflated(const std::string& raw)
{
    uLongf length = compressBound(static_cast<uLong>(raw.size()));
    std::string out(length, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), kCompressionLevel)
        != Z_OK)
        return std::nullopt;
    out.resize(length);
    return out;
}

}  // namespace

std::optional<std::string> encodePng(const PngPicture& picture)
{
    if (picture.width <= 0 || picture.height <= 0)
        return std::nullopt;
    const std::uint64_t rowBytes = std::uint64_t(picture.width) * channels(picture.colour);
    const std::uint64_t raw = (rowBytes + 1) * std::uint64_t(picture.height);
    if (raw > kMostChunkBytes || raw > std::numeric_limits<uLong>::max()
        || picture.samples.size() != rowBytes * std::uint64_t(picture.height))
        return std::nullopt;
    const std::optional<std::string> data = deflated(filteredRows(picture));
    if (!data || data->size() > kMostChunkBytes)
        return std::nullopt;
    std::string header;
    putU32(header, static_cast<std::uint32_t>(picture.width));
    putU32(header, static_cast<std::uint32_t>(picture.height));
    header += '\x08';                                                // bits a sample
    header += picture.colour == PngColour::Grey8 ? '\x00' : '\x02';  // grey or RGB
    header += std::string(3, '\0');  // deflate, adaptive filters, no interlace
    std::string file("\x89PNG\r\n\x1a\n", 8);
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", *data);
    putChunk(file, "IEND", {});
    return file;
}

}  // namespace pelkora::output
