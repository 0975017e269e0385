#include <eventtoken.h>
