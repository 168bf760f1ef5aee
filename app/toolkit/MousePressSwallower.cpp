#include "MousePressSwallower.h"

#include <QApplication>
#include <QEvent>

namespace MousePressSwallower {
namespace {

class Filter : public QObject {
 public:
  bool pending = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (pending && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
      pending = false;
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

Filter* TheFilter() {
  static Filter* filter = [] {
    auto* f = new Filter;
    f->setParent(qApp);
    qApp->installEventFilter(f);
    return f;
  }();
  return filter;
}

}  // namespace

void SwallowCurrentPress() { TheFilter()->pending = true; }

}  // namespace MousePressSwallower
