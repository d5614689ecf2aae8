// The test hook of files.h, shared by both builds.
#include "platform/files.h"

namespace {
FileFaultHook fault_hook = nullptr;
}

void set_file_fault_hook(FileFaultHook hook) { fault_hook = hook; }

bool file_op_allowed(FileOp op, const std::wstring& name) {
  return fault_hook == nullptr || fault_hook(op, name);
}
