// The definition editor: the text of one or more procedures, accepted with OK.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <string>
#include <vector>

namespace zamiro {

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);
  // Fills the memo with code page 932 lines.
  void SetLines(const std::vector<std::string>& lines);
  // The memo's lines in code page 932.
  std::vector<std::string> Lines() const;

  QPlainTextEdit* Memo1;
};

}  // namespace zamiro
