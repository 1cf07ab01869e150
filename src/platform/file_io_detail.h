#pragma once
// What the two system sides of file_io (file_io_posix.cpp, file_io_win.cpp) share with the
// portable part: the reason of a failed save and the table of live temporary files that
// an interruption (a signal, Ctrl+C) removes.

#include <atomic>
#include <cstddef>
#include <string>

namespace trevalon::detail {

// Notes why a write failed (an errno value); the first reason of a save is the one said.
void NoteWriteFailure(int error);
// Forgets the reason, when a file is opened again.
void ClearWriteFailure();

// ---- Live temporary files -------------------------------------------------------------------
// A fixed table that a signal handler may read: a slot is claimed (1) while its path is
// copied in and becomes live (2) only when the path is complete, before the file exists; it is
// freed only after the file has been renamed or removed. The handler removes live paths
// only. A save that finds the table full still works, it is just not cleaned up on a signal.
constexpr int kTempSlots = 16;
constexpr std::size_t kTempPathBytes = 4096;
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free slots");

struct TempSlot {
  std::atomic<int> state{0};
  char path[kTempPathBytes];
};
extern TempSlot g_temps[kTempSlots];

// The slot of a new temporary file, -1 when the table is full or the path too long.
int RegisterTemp(const std::string& path);
void ReleaseTemp(int& slot);

// A unique name beside the target, so that the final rename stays on one file system.
std::string TempNameBeside(const std::string& target);

// Moves the complete temporary file over the target: 0 when done, else an errno value.
int MoveOver(const std::string& temp, const std::string& target);

}  // namespace trevalon::detail
