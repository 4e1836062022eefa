#include "app/tform2.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/fonts.h"
#include "platform/cp932.h"

namespace zamiro {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("手続きおよび関数の定義"));
  resize(472, 328);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setFont(GothicFont(16));
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("BitBtn1");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("BitBtn2");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo1);
  layout->addWidget(buttons);
}

void TForm2::SetLines(const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& line : lines) text << QString::fromStdString(Cp932ToUtf8(line));
  Memo1->setPlainText(text.join('\n'));
}

std::vector<std::string> TForm2::Lines() const {
  std::vector<std::string> lines;
  QString text = Memo1->toPlainText();
  if (text.isEmpty()) return lines;
  for (const QString& line : text.split('\n')) lines.push_back(Utf8ToCp932(line.toStdString()));
  return lines;
}

}  // namespace zamiro
