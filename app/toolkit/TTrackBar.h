// A horizontal slider with a change event that follows the window's rules:
// OnChange runs on every change of the position, and at the end of each user
// interaction (mouse release, release of a navigation key) even when the
// position stayed the same. Setting the position to the value it already has
// does not run it. Only the left mouse button works the slider: the other
// buttons neither move it nor end an interaction.
#pragma once

#include <QSlider>

#include <functional>

class TTrackBar : public QSlider {
 public:
  explicit TTrackBar(QWidget* parent);
  std::function<void()> OnChange;

  int Position() const { return value(); }
  // Stores the value limited to the slider's range.
  void SetPosition(int position) { setValue(position); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void Changed();
};
