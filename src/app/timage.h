// The picture pane: shows the interpreter's picture 1:1 from its top-left corner.
#pragma once

#include <QWidget>
#include <cstdint>

#include "interp/context.h"

namespace zamiro {

class TImage : public QWidget {
  Q_OBJECT
 public:
  TImage(InterpreterContext& c, QWidget* parent);
  // Repaints when the picture changed since the last look; called at display rate.
  void RefreshIfChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  InterpreterContext& ctx_;
  uint64_t seen_ = ~uint64_t{0};
};

}  // namespace zamiro
