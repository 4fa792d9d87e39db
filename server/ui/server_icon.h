#pragma once

#include <QIcon>

namespace vorlane {

/// The server program's icon (windows and tray), drawn rather than loaded so
/// the program needs no image files.
QIcon serverIcon();

} // namespace vorlane
