// The reference count of the browser's event-handler objects. They are static objects living for the whole process:
// the count is kept for the browser's bookkeeping, but never reaches zero, so a surplus Release cannot free them.
#pragma once

#include <stdint.h>

const uint32_t kHandlerInitialCount = 1;

// Adds one; returns the new count.
uint32_t HandlerAddRef(uint32_t* count);
// Subtracts one while the count is 2 or more; returns the new count, 1 at the floor.
uint32_t HandlerRelease(uint32_t* count);
