#pragma once

#include "app/VelmoraViewController.h"

#include <QString>
#include <QStringList>

/// `velmora compose`: makes portraits without a window. Each photo goes through the same
/// controller sequence as an album pick followed by a save, so each file equals what the
/// application would save.
class ComposeCommand {
public:
    QStringList photos;
    /// The folder the portraits go to; empty for the album folder.
    QString outFolder;
    /// 1 to 100 lays that overlay; 0 draws one at random.
    int aura = 0;
    /// Stretched to the portrait, or cut around the face.
    VelmoraViewController::Fit fit = VelmoraViewController::Fit::Stretch;

    /// Prints each written path on stdout and each refused photo, with the reason, on
    /// stderr. Returns 0 when every photo became a portrait, 1 otherwise. Needs a
    /// QApplication.
    int run();
};
