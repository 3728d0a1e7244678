#pragma once
// A DOB image as the device shows it: level v as the grey 255 - 17 v.

#include <cstdint>
#include <vector>

#include <QImage>

namespace pelkora::dialog {

// dob: the whole file as written, of a picture width x height (its true
// sides; the header holds them only modulo 256). A null image when the
// length does not match.
QImage deviceImage(const std::vector<std::uint8_t>& dob, int width, int height);

}  // namespace pelkora::dialog
