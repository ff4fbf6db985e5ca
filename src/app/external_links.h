#pragma once

#include <QUrl>

namespace zorlith {

// Opens addresses in the system's web browser; a seam so that tests never start a browser.
class ExternalLinks {
public:
    virtual ~ExternalLinks() = default;
    virtual void open(const QUrl& address) = 0;
};

class SystemBrowserLinks final : public ExternalLinks {
public:
    void open(const QUrl& address) override;
};

// Only web addresses leave the tool: anything else a page or the service names (file:, a
// custom scheme, javascript:) is not handed to the system.
bool IsWebAddress(const QUrl& address);

// Opens the address when it is a web address; answers whether it did.
bool OpenWebAddress(ExternalLinks& links, const QUrl& address);

} // namespace zorlith
