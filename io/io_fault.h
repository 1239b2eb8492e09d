#pragma once

// A seam for tests of failing disks: every call that changes a file on disk (creating it,
// writing, flushing, closing, renaming) asks IoFault first. A test sets a hook that can make
// any of those calls fail with an error of its choice; the programs never set one, so each
// call costs one test of a null pointer.

enum class IoCall { kCreate, kWrite, kFlush, kClose, kRename };

// 0 to let the call go ahead, or the errno value it fails with.
using IoFaultHook = int (*)(IoCall call);

// Installs `hook` (null: none) and returns the one it replaces.
IoFaultHook SetIoFaultHook(IoFaultHook hook);

namespace io_detail {
extern IoFaultHook faultHook;
int AskFaultHook(IoCall call);
}  // namespace io_detail

// 0 when `call` may go ahead; else the error it must fail with, also left in errno.
inline int IoFault(IoCall call) {
  return io_detail::faultHook ? io_detail::AskFaultHook(call) : 0;
}
