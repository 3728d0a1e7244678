#pragma once
// A frame of the loop in the device's greys, for a label to show.

#include <QImage>

#include "session/loop_view.h"

namespace pelkora::dialog {

QImage toQImage(const session::LevelImage& image);

}  // namespace pelkora::dialog
