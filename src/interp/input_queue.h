// The command lines entered by the user, appended by one thread and read by the interpreter.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zamiro {

struct InterpreterContext;

class InputQueue {
 public:
  using Task = std::function<void(InterpreterContext&)>;
  // Supplies the next line when the reader asks for one that is not queued yet; returns false
  // when there are no more lines (the interpreter then ends). Without a supplier the reader
  // waits until a line is appended.
  using Supplier = std::function<bool(std::string&)>;

  enum class WaitResult { kLine, kTask, kTerminated };

  void Add(std::string line);
  int32_t Count() const;
  void SetSupplier(Supplier supplier) { supplier_ = std::move(supplier); }

  // Copies line `index` (0-based) into *line, waiting until it exists. Returns kTask when a task
  // was posted meanwhile (the line is not copied), kTerminated when the queue was shut down.
  WaitResult WaitForLine(int32_t index, std::string* line);

  // Work for the interpreter thread, run between statements or while it waits for input.
  void Post(Task task);
  bool TakeTask(Task& task);
  bool HasTask() const;

  // Ends every wait at once, now and later.
  void Terminate();
  bool Terminated() const;
  // Sleeps for ms milliseconds or until Terminate; returns false when terminated.
  bool SleepFor(int64_t ms);

  std::vector<std::string> Snapshot() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> lines_;
  std::deque<Task> tasks_;
  Supplier supplier_;
  bool terminated_ = false;
  bool exhausted_ = false;
};

}  // namespace zamiro
