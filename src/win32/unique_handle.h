// Kernel object handles owned by RAII: closed once, whichever way the scope is left.
#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>

namespace vlx::win32 {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

}  // namespace vlx::win32
