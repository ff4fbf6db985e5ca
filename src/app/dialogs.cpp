#include "app/dialogs.h"

#include "startup/app_identity.h"

#include <QMessageBox>

namespace zorlith {

namespace {

QString BoxCaption() {
    return QString::fromUtf8(AppIdentity.title.data(),
                             static_cast<qsizetype>(AppIdentity.title.size()));
}

} // namespace

void MessageBoxDialogs::inform(const QString& text) {
    QMessageBox::information(nullptr, BoxCaption(), text, QMessageBox::Ok);
}

bool MessageBoxDialogs::confirm(const QString& text) {
    return QMessageBox::question(nullptr, BoxCaption(), text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

} // namespace zorlith
