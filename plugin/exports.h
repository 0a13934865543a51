/*
 * The interface hosts compile against is include/namemask/plugin.h now: put include/ on
 * the include path and #include "namemask/plugin.h". This forwarding header keeps older
 * hosts compiling for one more release, and then goes.
 */
#include "namemask/plugin.h"
