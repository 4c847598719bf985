#include "platform/rtl/stack.h"

#include <pthread.h>

#include <algorithm>

namespace rtl {

namespace {

struct StackBounds {
  const char* low = nullptr;
  std::size_t size = 0;
};

StackBounds Measure() {
  StackBounds bounds;
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void* address = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attr, &address, &size) == 0) {
      bounds.low = static_cast<const char*>(address);
      bounds.size = size;
    }
    pthread_attr_destroy(&attr);
  }
  if (!bounds.low) {
    // Not measurable: assume a small stack below the current frame.
    constexpr std::size_t kAssumed = 512 * 1024;
    bounds.size = kAssumed;
    bounds.low = static_cast<const char*>(__builtin_frame_address(0)) - kAssumed;
  }
  return bounds;
}

const StackBounds& Bounds() {
  static thread_local const StackBounds bounds = Measure();
  return bounds;
}

}  // namespace

const char* ThreadStackLow() { return Bounds().low; }

const char* ThreadStackFloor() {
  static thread_local const char* const floor = [] {
    const StackBounds& b = Bounds();
    const std::size_t reserve = std::clamp<std::size_t>(b.size / 4, 64 * 1024, 1024 * 1024);
    return b.low + reserve;
  }();
  return floor;
}

}  // namespace rtl
