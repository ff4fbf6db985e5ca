#include "app/plan_text_box.h"

#include "app/qt_text.h"
#include "plan/plan_text.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextCursor>

namespace zorlith {

namespace {

// Keys that move the caret or the selection and never change the text.
bool IsNavigationKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

PlanTextBox::PlanTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("编辑框1"));
    setAcceptDrops(false);
    setUndoRedoEnabled(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void PlanTextBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)) {
        copy();
        event->accept();
        return;
    }
    if (IsNavigationKey(event->key())) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PlanTextBox::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
}

void PlanTextBox::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

void PlanTextBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
}

bool PlanTextBox::canInsertFromMimeData(const QMimeData*) const {
    return false;
}

void PlanTextBox::insertFromMimeData(const QMimeData*) {}

void PlanTextBoxView::replacePlanText(const std::string& text) {
    // The core ends lines with "\r\n"; the text box shows and copies plain line feeds.
    const QString shown = ToQString(ToConsoleLineEnds(text));
    if (box_.toPlainText() != shown) {
        box_.setPlainText(shown);
    }
}

void PlanTextBoxView::moveCaretToEnd() {
    QTextCursor cursor = box_.textCursor();
    cursor.movePosition(QTextCursor::End);
    box_.setTextCursor(cursor);
    box_.ensureCursorVisible();
}

void PlanTextBoxView::pumpEvents() {
    QCoreApplication::processEvents();
}

} // namespace zorlith
