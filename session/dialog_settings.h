#pragma once
// What the dialog remembers between runs: the output options and the
// device view, chosen in its right-click menu.

#include "output/output_options.h"

namespace pelkora::session {

inline constexpr const char* kSettingsOrganisation = "Pelkora";
inline constexpr const char* kSettingsApplication = "pelkora";
// The size --fit takes in the dialog until another is written into the
// settings file under "FitSize": a common small module's screen.
inline constexpr output::Size kDefaultFitSize{128, 64};

struct DialogSettings {
    output::OutputOptions output;
    bool deviceView = false;
    // A file added again replaces its earlier entries (--add --replace).
    bool replaceEarlier = false;
    // Text lines break between words (--wrap words).
    bool wrapWords = false;
    // Kept while fit is off, so that turning it on again brings it back.
    output::Size fitSize = kDefaultFitSize;
    // Set by hand in the settings file ("KeepPrevious=false"): emptying
    // then deletes instead of keeping the package in adv.previous.
    bool keepPrevious = true;
    friend bool operator==(const DialogSettings&, const DialogSettings&) = default;
};

}  // namespace pelkora::session
