#include "plugin/state.hpp"

namespace nm {
namespace {

PluginState state;

}  // namespace

PluginState& pluginState() noexcept {
    return state;
}

}  // namespace nm
