// The modal error box through which the window reports an error that escaped
// one of its handlers, and the guard that catches such errors.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace ErrorBox {

// The title of the error box: the application's title.
QString ApplicationTitle();

// The text shown for a message: a period is appended unless the message is
// empty or its last character's code is at most that of the period.
QString BoxText(const QString& message);

// Shows the error box: stop icon, one OK button, the application title.
void ShowException(const QString& message);

// Runs a handler; an error that escapes it ends it and is shown in the error
// box. Returns false when the handler ended with an error.
bool Guarded(const std::function<void()>& handler);

}  // namespace ErrorBox
