/* namemask/plugin.h must compile as C; its layout checks run here at compile time. So must
   the forwarding plugin/exports.h that older hosts include. */
#include "namemask/plugin.h"
#include "plugin/exports.h"

size_t namemaskPluginInfoSizeFromC(void) {
    return sizeof(PluginInfo);
}
size_t namemaskRenameOptionsSizeFromC(void) {
    return sizeof(RenameOptions);
}
