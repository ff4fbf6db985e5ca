#include "app/app_files.h"

#include <QDir>
#include <QFile>

namespace zorlith {

QString UpdaterPath(const QString& executableDir) {
    return QDir(executableDir).filePath(QStringLiteral("更新器"));
}

void RemoveStaleUpdater(const QString& updaterPath) {
    if (QFile::exists(updaterPath)) {
        QFile::remove(updaterPath);
    }
}

} // namespace zorlith
