#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace zorlith {

// The small window shown while the main window is still hidden and start-up talks to the
// service.
class StatusWindowWidget final : public QWidget {
    Q_OBJECT

public:
    explicit StatusWindowWidget(std::function<void()> onUserClose);

    QLabel* messageLabel() const { return messageLabel_; }
    QLabel* pictureBox() const { return pictureBox_; }
    // Destroys the window without raising the user's close request.
    void closeQuietly();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> onUserClose_;
    QLabel* messageLabel_;
    QLabel* pictureBox_;
    bool closingQuietly_ = false;
};

// Opens and closes the status window; whether the window exists is its only state.
class StatusWindow {
public:
    // `onUserClose` runs when the user closes the window: start-up is then abandoned.
    explicit StatusWindow(std::function<void()> onUserClose);
    ~StatusWindow();
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;

    // False, changing nothing, when the window is already shown.
    bool Show(const QString& message);
    // False when there is no window.
    bool Close();

    StatusWindowWidget* widget() const { return widget_; }

private:
    std::function<void()> onUserClose_;
    QPointer<StatusWindowWidget> widget_;
};

} // namespace zorlith
