// A picture control: holds a picture that it paints stretched to its own size,
// aspect ratio not kept. Drawing goes onto the picture itself.
#pragma once

#include <QImage>
#include <QWidget>

class TImage : public QWidget {
 public:
  using QWidget::QWidget;

  const QImage& Picture() const { return picture_; }
  // Takes its own copy; an empty image clears the control.
  void SetPicture(const QImage& picture);
  // The picture to draw on. When the control holds none, it gets a new blank
  // picture of the control's own size first.
  QImage& Canvas();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};
