#pragma once

#include "app/dialogs.h"
#include "app/external_links.h"
#include "app/plan_text_box.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QWebEngineView;

namespace zorlith {

// What the window's buttons and its draw timer ask of the rest of the tool.
struct MainWindowHandlers {
    // Runs on every tick of the draw timer, every 100 ms.
    std::function<void()> drawTimerTick;
    // Clears the plan and rebuilds it from the stored draws.
    std::function<void()> clearPlan;
    // The user closed the window.
    std::function<void()> closed;
};

// The tool's working window: the newest draw, the countdown, the plan text, the draw history,
// the embedded page and the strip of advertisement links, at the fixed positions and sizes.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDrawTimerPeriodMs = 100;
    static constexpr int kLinkGap = 3;

    MainWindow(Dialogs& dialogs, ExternalLinks& links, MainWindowHandlers handlers);
    ~MainWindow() override;

    void ShowLatestDraw(const std::string& issueLabel, const std::string& numbers);
    // A new row at the top of the history list.
    void AddHistoryRow(const std::string& issue, const std::string& numbers);
    void StartDrawTimer();
    void StopDrawTimer();
    // Copies of the hidden template link, side by side in the link strip.
    void LayOutLinks(const std::vector<std::string>& titles, const std::vector<std::string>& urls);
    void SetPageAddress(const std::string& address);
    // The countdown labels; each is written only when its text changes.
    void SetCountdownCaption(const std::string& text);
    void SetCountdownValue(const std::string& text);

    void setStartupComplete() { startupComplete_ = true; }
    bool startupComplete() const { return startupComplete_; }

    PlanTextBox* planTextBox() const { return planTextBox_; }
    PlanView& planView() { return planView_; }
    QTimer* drawTimer() const { return drawTimer_; }
    QWebEngineView* browser() const { return browser_; }
    QLabel* issueLabel() const { return issueLabel_; }
    QLabel* numbersLabel() const { return numbersLabel_; }
    QLabel* countdownCaption() const { return countdownCaption_; }
    QLabel* countdownValue() const { return countdownValue_; }
    QTreeWidget* historyList() const { return historyList_; }
    QGroupBox* linkStrip() const { return linkStrip_; }
    QLabel* linkTemplate() const { return linkTemplate_; }
    QPushButton* copyButton() const { return copyButton_; }
    QPushButton* clearButton() const { return clearButton_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void onCopy();
    void onClear();
    void onLinkActivated(const QString& address);

    Dialogs& dialogs_;
    ExternalLinks& links_;
    MainWindowHandlers handlers_;
    bool startupComplete_ = false;

    QTimer* drawTimer_;
    QGroupBox* drawBox_;
    QLabel* issueLabel_;
    QLabel* numbersLabel_;
    QLabel* countdownCaption_;
    QLabel* countdownValue_;
    QWebEngineView* browser_;
    PlanTextBox* planTextBox_;
    PlanTextBoxView planView_;
    QPushButton* copyButton_;
    QTreeWidget* historyList_;
    QPushButton* clearButton_;
    QGroupBox* linkStrip_;
    QLabel* linkTemplate_;
};

} // namespace zorlith
