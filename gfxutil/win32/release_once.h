// Every COM object is released exactly once, and its pointer cleared so that a second release is
// a no-op.
#pragma once

namespace vizo::gfx::win32 {

template <typename Interface>
void ReleaseOnce(Interface*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

}  // namespace vizo::gfx::win32
