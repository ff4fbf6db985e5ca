#pragma once

#include "plan/plan_presenter.h"
#include "startup/startup_view.h"

#include <string>
#include <vector>

namespace zorlith::testing_support {

// Records what start-up and the draw timer show, as lines "what:text"; answers questions as
// the test says.
class RecordingView final : public StartupView, public PlanView {
public:
    bool answer = false;
    std::vector<std::string> events;
    std::string planText;
    int planWrites = 0;
    UpdateOffer offer;

    void showStatus(const std::string& text) override { events.push_back("status:" + text); }
    void closeStatus() override { events.push_back("closeStatus"); }
    void showMessage(const std::string& text) override { events.push_back("message:" + text); }
    bool askYesNo(const std::string& text) override {
        events.push_back("ask:" + text);
        return answer;
    }
    void showLinks(const std::vector<std::string>& titles,
                   const std::vector<std::string>& urls) override {
        std::string line = "links:";
        for (size_t i = 0; i < titles.size(); ++i) {
            line += titles[i] + "=" + (i < urls.size() ? urls[i] : "?") + ";";
        }
        events.push_back(line);
    }
    void showPage(const std::string& url) override { events.push_back("page:" + url); }
    void showLatestDraw(const std::string& issueLabel, const std::string& numbersLabel) override {
        events.push_back("latest:" + issueLabel + "|" + numbersLabel);
    }
    void addHistoryRow(const std::string& issue, const std::string& numbers) override {
        events.push_back("row:" + issue + "|" + numbers);
    }
    void showCountdownCaption(const std::string& text) override {
        events.push_back("caption:" + text);
    }
    void showCountdownValue(const std::string& text) override { events.push_back("value:" + text); }
    void pumpEvents() override {}
    void handOffToUpdater(const UpdateOffer& update) override {
        offer = update;
        events.push_back("handoff");
    }

    void replacePlanText(const std::string& text) override {
        planText = text;
        ++planWrites;
        events.push_back("plan");
    }
    void moveCaretToEnd() override {}

    // The recorded events that start with `prefix`.
    std::vector<std::string> only(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& event : events) {
            if (event.starts_with(prefix)) {
                found.push_back(event);
            }
        }
        return found;
    }
};

} // namespace zorlith::testing_support
