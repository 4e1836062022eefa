// The desktop program's side of the interpreter: output lines are collected and handed to the
// window in order at display rate; message boxes and the definition editor run on the main
// thread while the interpreter thread waits for their answer.
#pragma once

#include <QObject>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "interp/input_queue.h"
#include "platform/host.h"

namespace zamiro {

class GuiHost : public Host {
 public:
  // `ui` lives on the main thread; the calls below post work to it.
  GuiHost(QObject* ui, InputQueue& queue);

  // Interpreter thread.
  void AppendOutputLine(const std::string& text) override;
  void ShowMessage(const std::string& caption, const std::string& text) override;
  EditResult EditProcedure(const EditRequest& request) override;
  void Beep() override;
  void Sleep(int64_t ms) override;

  // Main thread: the lines written since the last call, in order.
  std::vector<std::string> TakeOutput();

  // Main thread: how message boxes and the editor are shown. Each gets a function to call with
  // its answer when the user has closed it.
  std::function<void(const QString& caption, const QString& text, std::function<void()> done)>
      showMessage;
  std::function<void(const EditRequest&, std::function<void(EditResult)> done)> showEditor;

  // Ends every wait for the main thread (the window is closing).
  void Shutdown();

 private:
  // Runs `post` on the main thread and waits until `answer` is called or the host shuts down.
  void WaitForMainThread(const std::function<void(std::function<void()>)>& post);

  QObject* ui_;
  InputQueue& queue_;
  std::mutex outputMutex_;
  std::vector<std::string> output_;
  std::mutex waitMutex_;
  std::condition_variable answered_;
  bool shutdown_ = false;
};

}  // namespace zamiro
