// Reference counting for objects that are never freed.
#include "panel/handler_refcount.h"

uint32_t HandlerAddRef(uint32_t* count) {
    return ++*count;
}

uint32_t HandlerRelease(uint32_t* count) {
    if (*count >= 2) return --*count;
    return 1;
}
