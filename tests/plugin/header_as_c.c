/* plugin/exports.h must compile as C; its layout checks run here at compile time. */
#include "plugin/exports.h"

size_t namemaskPluginInfoSizeFromC(void) {
    return sizeof(PluginInfo);
}
size_t namemaskRenameOptionsSizeFromC(void) {
    return sizeof(RenameOptions);
}
