#pragma once

#include <cstdint>

namespace komiwojazer {

// The bytes that this process can still allocate without pushing the machine into swap or the
// out-of-memory killer: the smaller of the memory the kernel reports as available and what is
// left under the process's address-space limit.
std::uint64_t availableMemoryBytes();

// Caps what availableMemoryBytes reports, for builds that must stay small (fuzzing); 0 lifts the
// cap.
void capMemoryBudget(std::uint64_t bytes);

} // namespace komiwojazer
