#include "app/update_hand_off.h"

#include "app/qt_text.h"
#include "startup/app_identity.h"

#include <QFile>
#include <QProcess>

namespace zorlith {

QStringList UpdaterArguments(const UpdateOffer& offer, const QString& executableName) {
    return {ToQString(AppIdentity.title), ToQString(AppIdentity.version),
            ToQString(offer.announcedVersion), ToQString(offer.updateUrl), executableName};
}

void DetachedUpdaterHandOff::start(const UpdateOffer& offer) {
    // An existing file is used unchanged.
    if (!QFile::exists(updaterPath_) && QFile::copy(kUpdaterResource, updaterPath_)) {
        QFile::setPermissions(updaterPath_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::ExeOther);
    }
    QProcess::startDetached(updaterPath_, UpdaterArguments(offer, executableName_));
}

} // namespace zorlith
