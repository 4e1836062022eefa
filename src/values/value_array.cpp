#include "values/value_array.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace zamiro {

std::unique_ptr<Complex[], ValueArray::Free> ValueArray::Allocate(size_t count) {
  if (count > std::numeric_limits<uint32_t>::max()) throw std::bad_alloc();
  void* p = std::malloc(count * sizeof(Complex));
  if (p == nullptr) throw std::bad_alloc();
  return std::unique_ptr<Complex[], Free>(static_cast<Complex*>(p));
}

ValueArray& ValueArray::operator=(const ValueArray& other) {
  if (this == &other) return *this;
  if (other.size_ <= 1) {
    AssignOne(other.size_ == 1 ? other[0] : Complex{});
    size_ = other.size_;
    return *this;
  }
  auto copy = Allocate(other.size_);
  std::memcpy(copy.get(), other.more_.get(), other.size_ * sizeof(Complex));
  more_ = std::move(copy);
  capacity_ = other.size_;
  size_ = other.size_;
  return *this;
}

void ValueArray::resize(size_t count) {
  if (count > capacity()) {
    // Grown at least twofold, so that an array filled element by element is copied seldom.
    const size_t grown = std::max(count, 2 * capacity());
    auto bigger = Allocate(grown);
    for (size_t i = 0; i < size_; ++i) bigger[i] = (*this)[i];
    more_ = std::move(bigger);
    capacity_ = static_cast<uint32_t>(grown);
  }
  for (size_t i = size_; i < count; ++i) (*this)[i] = Complex{};
  size_ = static_cast<uint32_t>(count);
}

}  // namespace zamiro
