#include "app/gui_host.h"

#include <QApplication>
#include <QMetaObject>
#include <memory>

#include "platform/cp932.h"

namespace zamiro {

GuiHost::GuiHost(QObject* ui, InputQueue& queue) : ui_(ui), queue_(queue) {}

void GuiHost::AppendOutputLine(const std::string& text) {
  std::lock_guard<std::mutex> lock(outputMutex_);
  output_.push_back(text);
}

std::vector<std::string> GuiHost::TakeOutput() {
  std::lock_guard<std::mutex> lock(outputMutex_);
  std::vector<std::string> lines;
  lines.swap(output_);
  return lines;
}

void GuiHost::WaitForMainThread(const std::function<void(std::function<void()>)>& post) {
  auto done = std::make_shared<bool>(false);
  auto answer = [this, done] {
    {
      std::lock_guard<std::mutex> lock(waitMutex_);
      *done = true;
    }
    answered_.notify_all();
  };
  post(answer);
  std::unique_lock<std::mutex> lock(waitMutex_);
  answered_.wait(lock, [&] { return *done || shutdown_; });
}

void GuiHost::ShowMessage(const std::string& caption, const std::string& text) {
  QString cap = QString::fromStdString(Cp932ToUtf8(caption));
  QString body = QString::fromStdString(Cp932ToUtf8(text));
  WaitForMainThread([&](std::function<void()> answer) {
    QMetaObject::invokeMethod(
        ui_, [this, cap, body, answer] { showMessage(cap, body, answer); }, Qt::QueuedConnection);
  });
}

EditResult GuiHost::EditProcedure(const EditRequest& request) {
  auto result = std::make_shared<EditResult>();
  WaitForMainThread([&](std::function<void()> answer) {
    QMetaObject::invokeMethod(
        ui_,
        [this, request, result, answer] {
          showEditor(request, [result, answer](EditResult r) {
            *result = std::move(r);
            answer();
          });
        },
        Qt::QueuedConnection);
  });
  return *result;
}

void GuiHost::Beep() {
  QMetaObject::invokeMethod(ui_, [] { QApplication::beep(); }, Qt::QueuedConnection);
}

void GuiHost::Sleep(int64_t ms) { queue_.SleepFor(ms); }

void GuiHost::Shutdown() {
  {
    std::lock_guard<std::mutex> lock(waitMutex_);
    shutdown_ = true;
  }
  answered_.notify_all();
}

}  // namespace zamiro
