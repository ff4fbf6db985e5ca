#pragma once

#include "startup/startup_view.h"

#include <QString>
#include <QStringList>

namespace zorlith {

// What happens when the user accepts an update; a seam so that tests start no updater.
class UpdateHandOff {
public:
    virtual ~UpdateHandOff() = default;
    virtual void start(const UpdateOffer& offer) = 0;
};

// The updater's arguments, in order: the product title, the running version, the announced
// version, the update address and the running executable's own file name. Passed as a list, so
// a value with a space stays one argument.
QStringList UpdaterArguments(const UpdateOffer& offer, const QString& executableName);

// Places the updater next to the executable when it is not there yet, then starts it without
// waiting. Failures are not reported: the program ends once the user has chosen to update.
class DetachedUpdaterHandOff final : public UpdateHandOff {
public:
    // The updater image the program carries, as a Qt resource; the updater's build adds it.
    static constexpr const char* kUpdaterResource = ":/updater/zorlith-updater";

    DetachedUpdaterHandOff(QString updaterPath, QString executableName)
        : updaterPath_(std::move(updaterPath)), executableName_(std::move(executableName)) {}

    void start(const UpdateOffer& offer) override;

private:
    QString updaterPath_;
    QString executableName_;
};

} // namespace zorlith
