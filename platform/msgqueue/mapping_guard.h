// Inside the message queues: a queue file shortened under its mapping must not end the process.
//
// Touching a page of a shared file mapping that now lies past the end of the file raises SIGBUS.
// For a guarded mapping the handler puts zero-filled private pages in the place of the whole
// mapping, marks it cut, and the touch goes on there (a cut queue reads as empty, with no readers
// or writers, and a broken ring: its calls fail with ERROR_FILE_CORRUPT). A fault anywhere else
// goes on to the handler that was there before. So the queue's hot paths read the mapping without
// asking the file's size; changes (which take the queue's lock) read the mark at the file's end
// first, to catch a file shortened within its last page, whose tail reads as zeros instead of
// faulting.
#pragma once

#include <atomic>
#include <cstddef>

namespace ce::msgqueue {

// Guards [begin, begin + length); `cut` is set when the mapping was replaced. False when every
// guard slot is taken (the caller then keeps asking the file's size before each touch).
bool GuardMapping(void* begin, std::size_t length, std::atomic<bool>* cut);
// Ends the guard; call before the mapping is unmapped.
void UnguardMapping(void* begin);

}  // namespace ce::msgqueue
