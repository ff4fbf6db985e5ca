#pragma once

#include <string>
#include <vector>

namespace zorlith {

// A newer version the user agreed to install.
struct UpdateOffer {
    std::string announcedVersion;
    std::string updateUrl;
};

// What start-up and the draw timer show, and the questions they ask. The window and the console
// implement it, so both run the same start-up and draw-feed code.
class StartupView {
public:
    virtual ~StartupView() = default;

    // The status window: shown with a text while start-up runs; closed before a question, before
    // the message of a failed connection, and when start-up is done.
    virtual void showStatus(const std::string& text) = 0;
    virtual void closeStatus() = 0;
    // A message box with an OK button; returns once the user has seen it.
    virtual void showMessage(const std::string& text) = 0;
    // A message box with OK and Cancel; true for OK.
    virtual bool askYesNo(const std::string& text) = 0;
    // The advertisement links, side by side in this order; both lists have the same length.
    virtual void showLinks(const std::vector<std::string>& titles,
                           const std::vector<std::string>& urls) = 0;
    // The address of the embedded page.
    virtual void showPage(const std::string& url) = 0;
    // The newest draw: the issue label ("PK拾第556342期：") and the numbers label texts.
    virtual void showLatestDraw(const std::string& issueLabel, const std::string& numbersLabel) = 0;
    // A new row at the top of the history list.
    virtual void addHistoryRow(const std::string& issue, const std::string& numbers) = 0;
    // The countdown's caption and value; each is called only when its text changes.
    virtual void showCountdownCaption(const std::string& text) = 0;
    virtual void showCountdownValue(const std::string& text) = 0;
    // Lets queued window events run; a console has none.
    virtual void pumpEvents() = 0;
    // The user accepted the update: start the updater. The program then ends with exit code 0.
    virtual void handOffToUpdater(const UpdateOffer& offer) = 0;
};

} // namespace zorlith
