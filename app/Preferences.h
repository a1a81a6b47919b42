#pragma once

#include "portrait/PortraitComposer.h"

#include <optional>

/// The choices a person makes on the screen that the next run keeps, in the user's
/// configuration folder ($XDG_CONFIG_HOME/velmora/velmora.conf). A setting that cannot be
/// read counts as never made; one that cannot be written is lost with a line on stderr.
class Preferences {
public:
    /// Fit to face or stretch, as last chosen on the screen; none before the first choice.
    static std::optional<PortraitComposer::Fit> fit();
    static void setFit(PortraitComposer::Fit fit);
};
