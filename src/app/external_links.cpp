#include "app/external_links.h"

#include <QDesktopServices>

namespace zorlith {

void SystemBrowserLinks::open(const QUrl& address) {
    QDesktopServices::openUrl(address);
}

bool IsWebAddress(const QUrl& address) {
    const QString scheme = address.scheme().toLower();
    return address.isValid() && !address.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool OpenWebAddress(ExternalLinks& links, const QUrl& address) {
    if (!IsWebAddress(address)) {
        return false;
    }
    links.open(address);
    return true;
}

} // namespace zorlith
