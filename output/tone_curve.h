#pragma once
// The tone steps between the grey and the levels: levels, gamma, contrast
// and invert, each a table over the lightness range of grey_plane.h, built in
// integers so that every machine writes the same bytes. Tables are applied
// one after another in that order.

#include <array>

#include "core/image.h"
#include "output/grey_plane.h"

namespace pelkora::output {

using ToneTable = std::array<int, kWhite + 1>;

ToneTable identityTone();

// Share of the pixels left out at each end when the darkest and lightest are
// looked for: one in 200 (0.5 %), so a few specks of dust or a highlight do
// not hold the stretch back.
inline constexpr int kOutlierShare = 200;

// The picture's own darkest and lightest (within area) stretched to black
// and white, linearly; a picture of one lightness is left as it is.
ToneTable levelsStretch(const GreyPlane& plane, const Rect& area);

// lightness' = white x (lightness / white)^(1 / gamma), gamma in hundredths:
// above 100 lightens the middle greys, below darkens them; black and white stay.
ToneTable gammaTone(int gamma);

// lightness' = mid + (lightness - mid) x contrast, contrast in hundredths,
// clamped to black and white.
ToneTable contrastTone(int contrast);

// White becomes black and each device grey its opposite level.
ToneTable invertTone();

// first, then second.
ToneTable then(const ToneTable& first, const ToneTable& second);

void applyTone(const ToneTable& table, GreyPlane& plane);

}  // namespace pelkora::output
