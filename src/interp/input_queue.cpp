#include "interp/input_queue.h"

#include <chrono>

namespace zamiro {

void InputQueue::Add(std::string line) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(line));
  }
  changed_.notify_all();
}

int32_t InputQueue::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int32_t>(lines_.size());
}

InputQueue::WaitResult InputQueue::WaitForLine(int32_t index, std::string* line) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (terminated_) return WaitResult::kTerminated;
    if (!tasks_.empty()) return WaitResult::kTask;
    if (index >= 0 && static_cast<size_t>(index) < lines_.size()) break;
    if (supplier_) {
      if (exhausted_) return WaitResult::kTerminated;
      std::string next;
      lock.unlock();
      bool got = supplier_(next);
      lock.lock();
      if (got) {
        lines_.push_back(std::move(next));
      } else {
        exhausted_ = true;
      }
      continue;
    }
    changed_.wait(lock);
  }
  *line = lines_[static_cast<size_t>(index)];
  return WaitResult::kLine;
}

void InputQueue::Post(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  changed_.notify_all();
}

bool InputQueue::TakeTask(Task& task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (tasks_.empty()) return false;
  task = std::move(tasks_.front());
  tasks_.pop_front();
  return true;
}

bool InputQueue::HasTask() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !tasks_.empty();
}

void InputQueue::Terminate() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    terminated_ = true;
  }
  changed_.notify_all();
}

bool InputQueue::Terminated() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return terminated_;
}

bool InputQueue::SleepFor(int64_t ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (ms <= 0) return !terminated_;
  // The deadline is kept in nanoseconds; a wait of many centuries would overflow it.
  constexpr int64_t kMaxMs = int64_t{1} << 40;
  if (ms > kMaxMs) ms = kMaxMs;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  changed_.wait_until(lock, deadline, [this] { return terminated_; });
  return !terminated_;
}

std::vector<std::string> InputQueue::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {lines_.begin(), lines_.end()};
}

}  // namespace zamiro
