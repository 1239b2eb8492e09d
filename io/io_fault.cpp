#include "io/io_fault.h"

#include <cerrno>

namespace io_detail {

IoFaultHook faultHook = nullptr;

int AskFaultHook(IoCall call) {
  const int error = faultHook(call);
  if (error != 0) errno = error;
  return error;
}

}  // namespace io_detail

IoFaultHook SetIoFaultHook(IoFaultHook hook) {
  const IoFaultHook before = io_detail::faultHook;
  io_detail::faultHook = hook;
  return before;
}
