#pragma once

#include <QString>

class QWidget;

namespace zorlith {

// The tool's message boxes, behind a seam so that tests can answer them without a modal box.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A message with an OK button.
    virtual void inform(const QString& text) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool confirm(const QString& text) = 0;
};

// Modal QMessageBox boxes captioned with the product title.
class MessageBoxDialogs final : public Dialogs {
public:
    void inform(const QString& text) override;
    bool confirm(const QString& text) override;
};

} // namespace zorlith
