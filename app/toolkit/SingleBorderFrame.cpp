#include "SingleBorderFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint CentredPosition(const QRect& screen, const QRect& desktop, const QSize& frame) {
  return {std::max((screen.width() - frame.width()) / 2, desktop.left()),
          std::max((screen.height() - frame.height()) / 2, desktop.top())};
}

SingleBorderFrame::SingleBorderFrame(QWidget* window, QSize size) : QObject(window), window_(window), size_(size) {
  window_->resize(size_);
  window_->setMinimumSize(size_);
  Centre(size_);
  keepSize_.setSingleShot(true);
  // Long enough for a window manager to report a new state after the
  // resize that came with it.
  keepSize_.setInterval(150);
  connect(&keepSize_, &QTimer::timeout, this, [this] { KeepSize(); });
  window_->installEventFilter(this);
}

void SingleBorderFrame::Centre(const QSize& frame) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    window_->move(CentredPosition(screen->geometry(), screen->availableGeometry(), frame));
}

void SingleBorderFrame::KeepSize() {
  const bool normal = !(window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
  if (normal && window_->size() != size_) window_->resize(size_);
}

bool SingleBorderFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show: {
        // A window manager's frame is known once the window has been mapped
        // into it; without one the frame is the window itself.
        const QSize frame = window_->frameGeometry().size();
        if (!centredByFrame_ && window_->isVisible() && frame != window_->size()) {
          centredByFrame_ = true;
          Centre(frame);
        }
        if (event->type() == QEvent::Resize && window_->size() != size_) keepSize_.start();
        break;
      }
      default: break;
    }
  }
  return QObject::eventFilter(watched, event);
}
