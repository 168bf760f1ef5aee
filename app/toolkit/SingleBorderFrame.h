// Gives a main window the behaviour of a single-border frame on a window
// system whose managers know no "maximisable but not resizable" frame: the
// window starts centred on the primary screen, frame included, once the window
// manager has told the frame's size; and in its normal state it keeps its
// size: a size that the user drags out is put back as soon as the drag pauses.
// Maximised, the window takes whatever size the window manager gives it.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

class QWidget;

// The top-left corner of a frame of the given size centred on the screen:
// half the room left over on each axis (integer division), but not left of
// or above the desktop's edges.
QPoint CentredPosition(const QRect& screen, const QRect& desktop, const QSize& frame);

class SingleBorderFrame : public QObject {
 public:
  // Sizes the window and places it centred by its own size; the frame's size
  // replaces that as soon as it is known.
  SingleBorderFrame(QWidget* window, QSize size);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Centre(const QSize& frame);
  void KeepSize();

  QWidget* window_;
  QSize size_;
  bool centredByFrame_ = false;
  QTimer keepSize_;
};
