// A single-line edit with an exit event: OnExit runs each time the focus moves
// from the edit to another control of the same window (Tab, Backtab, a mouse
// click), not when the window merely loses activation. Its text has no length
// limit.
#pragma once

#include <QLineEdit>

#include <functional>

class TEdit : public QLineEdit {
 public:
  explicit TEdit(QWidget* parent);
  TEdit(const QString& text, QWidget* parent);
  std::function<void()> OnExit;

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};
