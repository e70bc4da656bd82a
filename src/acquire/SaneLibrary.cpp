#include "SaneLibrary.h"

#include <dlfcn.h>

namespace {

template <typename Fn>
bool Resolve(void* library, const char* symbol, Fn& fn) {
    fn = reinterpret_cast<Fn>(dlsym(library, symbol));
    return fn != nullptr;
}

const SaneLibrary* Load() {
    static SaneLibrary sane;
    void* library = dlopen("libsane.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    bool ok = Resolve(library, "sane_init", sane.init) && Resolve(library, "sane_exit", sane.exit) &&
              Resolve(library, "sane_get_devices", sane.get_devices) &&
              Resolve(library, "sane_open", sane.open) && Resolve(library, "sane_close", sane.close) &&
              Resolve(library, "sane_get_option_descriptor", sane.get_option_descriptor) &&
              Resolve(library, "sane_control_option", sane.control_option) &&
              Resolve(library, "sane_get_parameters", sane.get_parameters) &&
              Resolve(library, "sane_start", sane.start) && Resolve(library, "sane_read", sane.read) &&
              Resolve(library, "sane_cancel", sane.cancel) &&
              Resolve(library, "sane_strstatus", sane.strstatus);
    // The library stays loaded: backends keep threads and handlers that outlive a session.
    return ok ? &sane : nullptr;
}

}  // namespace

const SaneLibrary* LoadSaneLibrary() {
    static const SaneLibrary* sane = Load();
    return sane;
}
