// librsvg and the cairo, GIO and GLib calls the reader makes, loaded when the first
// drawing is read rather than with the program: librsvg brings Pango, HarfBuzz, cairo,
// X11 and ICU with it, some 50 libraries and several milliseconds of every headless
// command's start, while few commands ever read a drawing.
#pragma once

#include <librsvg/rsvg.h>

struct RsvgLibrary {
    RsvgHandle* (*new_from_stream_sync)(GInputStream*, GFile*, RsvgHandleFlags, GCancellable*, GError**) = nullptr;
    gboolean (*get_intrinsic_size_in_pixels)(RsvgHandle*, gdouble*, gdouble*) = nullptr;
    void (*get_intrinsic_dimensions)(RsvgHandle*, gboolean*, RsvgLength*, gboolean*, RsvgLength*, gboolean*,
                                     RsvgRectangle*) = nullptr;
    gboolean (*get_geometry_for_layer)(RsvgHandle*, const char*, const RsvgRectangle*, RsvgRectangle*,
                                       RsvgRectangle*, GError**) = nullptr;
    gboolean (*render_document)(RsvgHandle*, cairo_t*, const RsvgRectangle*, GError**) = nullptr;

    GInputStream* (*memory_input_stream_new_from_data)(const void*, gssize, GDestroyNotify) = nullptr;
    void (*object_unref)(gpointer) = nullptr;
    void (*error_free)(GError*) = nullptr;

    cairo_surface_t* (*image_surface_create)(cairo_format_t, int, int) = nullptr;
    cairo_status_t (*surface_status)(cairo_surface_t*) = nullptr;
    void (*surface_flush)(cairo_surface_t*) = nullptr;
    void (*surface_destroy)(cairo_surface_t*) = nullptr;
    unsigned char* (*image_surface_get_data)(cairo_surface_t*) = nullptr;
    int (*image_surface_get_stride)(cairo_surface_t*) = nullptr;
    cairo_t* (*create)(cairo_surface_t*) = nullptr;
    void (*destroy)(cairo_t*) = nullptr;
    void (*set_source_rgb)(cairo_t*, double, double, double) = nullptr;
    void (*paint)(cairo_t*) = nullptr;
    void (*translate)(cairo_t*, double, double) = nullptr;
    void (*scale)(cairo_t*, double, double) = nullptr;
};

// The entry points, loaded on the first call and kept for the process; nullptr when the
// library or one of its functions is missing.
const RsvgLibrary* LoadRsvgLibrary();
