// Random numbers from the kernel's random source (getrandom), for what must
// not be guessable (passwords): never seeded, never repeated per call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vxRandom {

// Fills Size bytes of Buffer; raises EOSError when the source fails.
void Fill(void* Buffer, size_t Size);

// A number drawn uniformly below Bound (Bound >= 1), without modulo bias.
uint32_t Below(uint32_t Bound);

}  // namespace vxRandom
