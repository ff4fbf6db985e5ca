#pragma once

#include "plan/plan_presenter.h"

#include <QPlainTextEdit>

namespace zorlith {

// The plan text box: the user reads, selects and copies the plan but cannot change it. Copy
// passes, cut becomes a copy, every other edit (typing, deleting, pasting, dropping, input
// methods) is discarded, and no context menu opens.
class PlanTextBox final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit PlanTextBox(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

// The presenter's view onto the plan text box.
class PlanTextBoxView final : public PlanView {
public:
    explicit PlanTextBoxView(PlanTextBox& box) : box_(box) {}

    void replacePlanText(const std::string& text) override;
    void moveCaretToEnd() override;
    void pumpEvents() override;

private:
    PlanTextBox& box_;
};

} // namespace zorlith
