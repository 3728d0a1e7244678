#pragma once
// The lines of the playlist "advertising.index": their exact bytes, and how
// one reaches the file whole.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/status.h"

namespace pelkora::output {

inline constexpr int kTextPageDisplayTime = 6000;

// Appends one whole entry with one write, under a process-wide lock, to a
// file opened and closed for this entry alone. A missing playlist is
// created whole by a rename. CannotWriteIndex, with the cause, when the
// playlist could not be opened or written.
Outcome appendPlaylistEntry(const std::filesystem::path& playlist, std::string_view entry);

// Entry texts, byte for byte.
std::string stillPictureEntry(std::string_view fileName, std::string_view timeText);  // "%s,%s\n\n"
std::string frameEntry(std::string_view fileName, int frameDisplayTime);              // "%s,%d\n"
std::string textPageEntry(std::string_view pageName, int pageNumber);                 // "%s-%.2d.txt,%d\n"
std::string textPageFileName(std::string_view pageName, int pageNumber);              // "%s-%.2d.txt"

// The DOB file of a still picture (frameNumber 0) or of frame frameNumber
// (from 1) of an animation: "logo.dob", "anim-01.dob", "anim-12.dob". Named
// as the capture bitmap "BASE.bmp" or "BASE-NN.bmp" with every ".bmp" read
// as ".dob", so a base name holding ".bmp" has it replaced too, as packages
// written before hold it.
std::string dobFileName(std::string_view baseName, int frameNumber);

}  // namespace pelkora::output
