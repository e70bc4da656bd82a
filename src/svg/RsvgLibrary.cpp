#include "RsvgLibrary.h"

#include <dlfcn.h>

namespace {

template <typename Fn>
bool Resolve(void* library, const char* symbol, Fn& fn) {
    // The handle's search covers the libraries librsvg itself needs: GLib, GIO, cairo.
    fn = reinterpret_cast<Fn>(dlsym(library, symbol));
    return fn != nullptr;
}

const RsvgLibrary* Load() {
    static RsvgLibrary r;
    void* library = dlopen("librsvg-2.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    bool ok = Resolve(library, "rsvg_handle_new_from_stream_sync", r.new_from_stream_sync) &&
              Resolve(library, "rsvg_handle_get_intrinsic_size_in_pixels", r.get_intrinsic_size_in_pixels) &&
              Resolve(library, "rsvg_handle_get_intrinsic_dimensions", r.get_intrinsic_dimensions) &&
              Resolve(library, "rsvg_handle_get_geometry_for_layer", r.get_geometry_for_layer) &&
              Resolve(library, "rsvg_handle_render_document", r.render_document) &&
              Resolve(library, "g_memory_input_stream_new_from_data", r.memory_input_stream_new_from_data) &&
              Resolve(library, "g_object_unref", r.object_unref) && Resolve(library, "g_error_free", r.error_free) &&
              Resolve(library, "cairo_image_surface_create", r.image_surface_create) &&
              Resolve(library, "cairo_surface_status", r.surface_status) &&
              Resolve(library, "cairo_surface_flush", r.surface_flush) &&
              Resolve(library, "cairo_surface_destroy", r.surface_destroy) &&
              Resolve(library, "cairo_image_surface_get_data", r.image_surface_get_data) &&
              Resolve(library, "cairo_image_surface_get_stride", r.image_surface_get_stride) &&
              Resolve(library, "cairo_create", r.create) && Resolve(library, "cairo_destroy", r.destroy) &&
              Resolve(library, "cairo_set_source_rgb", r.set_source_rgb) && Resolve(library, "cairo_paint", r.paint) &&
              Resolve(library, "cairo_translate", r.translate) && Resolve(library, "cairo_scale", r.scale);
    // Kept loaded: GLib's type system cannot be unloaded.
    return ok ? &r : nullptr;
}

}  // namespace

const RsvgLibrary* LoadRsvgLibrary() {
    static const RsvgLibrary* library = Load();
    return library;
}
