/* The one place minimp3's implementation is compiled, as C with the third-party flags: every user (the player's
   decoder, tests, tools) includes minimp3.h for declarations only and links the minimp3 target. */
#define MINIMP3_IMPLEMENTATION
#include <minimp3.h>
