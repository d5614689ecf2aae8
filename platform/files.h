// Byte-exact access to recording files, by name relative to the current
// folder. Both builds implement these with the system's own handles, so a
// sound file costs one open, two small reads and one close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An open file. kNoFile is never a valid handle.
using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

// Opens a file for reading, without ever blocking: a FIFO opens without
// waiting for a writer. What is not a regular file may be refused here
// (Windows) or open, in which case reads from it fail or return nothing
// (directories, FIFOs) or is_regular_file tells (devices). Checking costs a
// system call on POSIX, so the caller asks only when it needs to.
FileHandle open_file_for_reading(const std::wstring& name);

// True if the open file is a regular file.
bool is_regular_file(FileHandle file);

// Opens an existing file for reading and writing in place, without blocking,
// like open_file_for_reading. It never creates or truncates. kNoFile when the
// file is missing, read-only, or held open by another program without write
// sharing. The caller reads back what it means to overwrite before writing,
// which a file replaced by a pipe or device in the meantime fails.
FileHandle open_file_for_update(const std::wstring& name);

// Reads up to `size` bytes at `offset`. Returns the number read, which is
// short only at the end of the file, or -1 on an error.
std::int64_t read_file_at(FileHandle file, std::int64_t offset, void* buffer,
                          std::size_t size);

// Writes all `size` bytes at `offset`. False if any of them was not written.
bool write_file_at(FileHandle file, std::int64_t offset, const void* buffer,
                   std::size_t size);

// Closes the file. False if the system reported an error (for a file that
// was written to, the data may then not have reached the disk).
bool close_file(FileHandle file);

// Test hook. When set, it is asked before each open, write and close, and a
// false answer makes that operation fail as if the system had refused it.
// `name` is empty for writes and closes.
enum class FileOp { OpenRead, OpenUpdate, Write, Close };
using FileFaultHook = bool (*)(FileOp op, const std::wstring& name);
void set_file_fault_hook(FileFaultHook hook);
bool file_op_allowed(FileOp op, const std::wstring& name);
