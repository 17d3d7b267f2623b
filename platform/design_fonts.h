#pragma once

namespace platform {

/// Registers the Linux faces that stand in for the font names of the window designs
/// ("MS Sans Serif", "Microsoft Sans Serif", "Arial", "Arial Narrow"), so that windows can
/// name the designed face and get a face of the same kind and width. Call once after the
/// application object exists.
void installFontSubstitutions();

}  // namespace platform
