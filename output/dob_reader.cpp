#include "output/dob_reader.h"

#include <algorithm>

#include "output/input_file.h"

namespace pelkora::output {

namespace {

constexpr std::uint64_t kMaxDobBytes = 2 + (kMaxDobPixels + 1) / 2;

bool fits(std::uint64_t side, std::uint8_t low) { return side >= 1 && side <= kLargestSide && (side & 0xFF) == low; }

}  // namespace

std::vector<Size> dobSizeCandidates(std::uint8_t byte0, std::uint8_t byte1, std::uint64_t length)
{
    std::vector<Size> sizes;
    if (length < 3)
        return sizes;
    const std::uint64_t area = length - 2;  // ceil(w*h/2)
    if (area > (std::uint64_t{kLargestSide} * kLargestSide + 1) / 2)
        return sizes;
    // ceil(n/2) == area for n = 2*area - 1 and n = 2*area.
    const std::uint64_t counts[] = {2 * area - 1, 2 * area};
    for (std::uint64_t width = byte0 == 0 ? 256 : byte0; width <= kLargestSide; width += 256) {
        for (const std::uint64_t count : counts) {
            if (count % width != 0)
                continue;
            const std::uint64_t height = count / width;
            if (fits(height, byte1))
                sizes.push_back({static_cast<int>(width), static_cast<int>(height)});
        }
    }
    return sizes;
}

void unpackLevels(const std::uint8_t* pixels, std::uint64_t count, std::uint8_t* levels)
{
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t byte = pixels[i / 2];
        levels[i] = static_cast<std::uint8_t>(i % 2 == 0 ? byte & 0xF : byte >> 4);
    }
}

DobPicture decodeDob(const std::uint8_t* data, std::size_t size, std::optional<Size> wanted)
{
    DobPicture picture;
    if (size >= 2)
        picture.candidates = dobSizeCandidates(data[0], data[1], size);
    if (picture.candidates.empty()) {
        picture.outcome = Status::BadDobLength;
        return picture;
    }
    if (wanted) {
        if (std::find(picture.candidates.begin(), picture.candidates.end(), *wanted) == picture.candidates.end()) {
            picture.outcome = Outcome(Status::DobSizeUnfit, candidatesText(picture.candidates));
            return picture;
        }
        picture.size = *wanted;
    } else if (picture.candidates.size() > 1) {
        picture.outcome = Outcome(Status::DobSizeAmbiguous, candidatesText(picture.candidates));
        return picture;
    } else {
        picture.size = picture.candidates.front();
    }
    const std::uint64_t count = std::uint64_t(picture.size.width) * std::uint64_t(picture.size.height);
    if (count > kMaxDobPixels) {
        picture.outcome = Status::SurfaceTooLarge;
        return picture;
    }
    picture.levels.resize(count);
    unpackLevels(data + 2, count, picture.levels.data());
    picture.outcome = Status::Ok;
    return picture;
}

DobPicture readDobFile(const std::filesystem::path& path, std::optional<Size> wanted)
{
    const InputBytes input = readInputFile(path, kMaxDobBytes);
    if (!input.outcome.ok() || input.truncated) {
        DobPicture failed;
        failed.outcome = input.truncated ? Outcome(Status::SurfaceTooLarge) : input.outcome;
        return failed;
    }
    return decodeDob(input.bytes.data(), input.bytes.size(), wanted);
}

DobShape inspectDobFile(const std::filesystem::path& path)
{
    DobShape shape;
    const InputBytes header = readInputFile(path, 2);
    std::error_code error;
    const std::uintmax_t length = std::filesystem::file_size(path, error);
    if (!header.outcome.ok() || error) {
        shape.outcome = header.outcome.ok() ? Outcome(Status::CannotRead, error) : header.outcome;
        return shape;
    }
    shape.length = length;
    if (header.bytes.size() == 2)
        shape.candidates = dobSizeCandidates(header.bytes[0], header.bytes[1], length);
    shape.outcome = shape.candidates.empty() ? Outcome(Status::BadDobLength, std::to_string(length) + " bytes")
                                             : Outcome(Status::Ok);
    return shape;
}

std::string candidatesText(const std::vector<Size>& sizes)
{
    std::string text;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        text += (i == 0 ? "" : " or ") + sizeText(sizes[i]);
    return text;
}

}  // namespace pelkora::output
