#include "TEdit.h"

#include "ErrorBox.h"
#include "MousePressSwallower.h"

#include <QFocusEvent>

#include <limits>

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {
  // The toolkit cuts every edit at 32767 characters unless told otherwise.
  setMaxLength(std::numeric_limits<int>::max());
}

TEdit::TEdit(const QString& text, QWidget* parent) : TEdit(parent) { setText(text); }

void TEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason: return;
    default: break;
  }
  if (!OnExit) return;
  const bool byMouse = event->reason() == Qt::MouseFocusReason;
  if (!ErrorBox::Guarded(OnExit) && byMouse) {
    // The press that moved the focus has been answered by the error box; it
    // must not go on to press the control that was clicked, whose release
    // went to the box.
    MousePressSwallower::SwallowCurrentPress();
  }
}
