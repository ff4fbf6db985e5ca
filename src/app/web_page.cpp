#include "app/web_page.h"

namespace zorlith {

namespace {

// Stands in for a new window: hands its first address to the system's browser and goes away.
class PopupForwarder final : public QWebEnginePage {
public:
    PopupForwarder(ExternalLinks& links, QObject* parent) : QWebEnginePage(parent), links_(links) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        OpenWebAddress(links_, url);
        deleteLater();
        return false;
    }

private:
    ExternalLinks& links_;
};

} // namespace

GuardedWebPage::GuardedWebPage(ExternalLinks& links, std::function<bool()> startupComplete,
                               QObject* parent)
    : QWebEnginePage(parent), links_(links), startupComplete_(std::move(startupComplete)) {}

bool GuardedWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                             bool isMainFrame) {
    if (!startupComplete_() || !isMainFrame) {
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
    OpenWebAddress(links_, url);
    return false;
}

QWebEnginePage* GuardedWebPage::createWindow(WebWindowType) {
    return new PopupForwarder(links_, this);
}

} // namespace zorlith
