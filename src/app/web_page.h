#pragma once

#include "app/external_links.h"

#include <QWebEnginePage>
#include <functional>

namespace zorlith {

// The embedded page. Until start-up completes its navigation proceeds, so the configured page
// loads; afterwards every navigation of the page is cancelled and its address goes to the
// system's browser, so the page in the window stays.
class GuardedWebPage final : public QWebEnginePage {
    Q_OBJECT

public:
    GuardedWebPage(ExternalLinks& links, std::function<bool()> startupComplete, QObject* parent);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    // A link that asks for a new window goes to the system's browser as well.
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    ExternalLinks& links_;
    std::function<bool()> startupComplete_;
};

} // namespace zorlith
