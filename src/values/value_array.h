// The elements of a variable. Most variables hold one element: it is kept in place, and only a
// larger array takes memory of its own (which then holds every element, the first too). A call
// makes a record for each parameter, so this keeps a call to one small allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "values/complex.h"

namespace zamiro {

class ValueArray {
 public:
  ValueArray() = default;
  ValueArray(const ValueArray& other) { *this = other; }
  ValueArray& operator=(const ValueArray& other);  // throws std::bad_alloc

  size_t size() const { return size_; }
  // How many elements fit without new memory.
  size_t capacity() const { return more_ ? capacity_ : 1; }
  Complex& operator[](size_t i) { return more_ ? more_[i] : first_; }
  const Complex& operator[](size_t i) const { return more_ ? more_[i] : first_; }

  // New elements are zero. Throws std::bad_alloc, leaving the array as it was.
  void resize(size_t count);
  // One element, in place: memory of its own is given back.
  void AssignOne(Complex value) {
    more_.reset();
    capacity_ = 0;
    size_ = 1;
    first_ = value;
  }

 private:
  struct Free {
    void operator()(Complex* p) const { std::free(p); }
  };
  static std::unique_ptr<Complex[], Free> Allocate(size_t count);

  Complex first_;
  std::unique_ptr<Complex[], Free> more_;
  uint32_t size_ = 0;
  uint32_t capacity_ = 0;  // of more_
};

}  // namespace zamiro
