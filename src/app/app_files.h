#pragma once

#include <QString>

namespace zorlith {

// The updater file next to the executable: written at an update, removed at the next start.
QString UpdaterPath(const QString& executableDir);

// Deletes an updater left behind by an earlier update; a failed deletion is ignored.
void RemoveStaleUpdater(const QString& updaterPath);

} // namespace zorlith
