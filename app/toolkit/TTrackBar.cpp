#include "TTrackBar.h"

#include "ErrorBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::TicksBelow);
  setSingleStep(1);
  setPageStep(2);
  connect(this, &QSlider::valueChanged, this, [this] { Changed(); });
}

void TTrackBar::Changed() {
  if (OnChange) ErrorBox::Guarded(OnChange);
}

void TTrackBar::mousePressEvent(QMouseEvent* event) {
  // The toolkit's style moves the thumb straight to a middle-button click.
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  QSlider::mousePressEvent(event);
}

void TTrackBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  QSlider::mouseReleaseEvent(event);
  Changed();
}

void TTrackBar::keyReleaseEvent(QKeyEvent* event) {
  QSlider::keyReleaseEvent(event);
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      if (!event->isAutoRepeat()) Changed();
      break;
    default: break;
  }
}
