#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "vireo/core/errors.h"
#include "vireo/ui/windows.h"

namespace vireo_ui {
namespace {

bool viewable(Fl_Window& window) {
    XWindowAttributes attributes;
    return window.shown() && XGetWindowAttributes(fl_display, fl_xid(&window), &attributes) &&
           attributes.map_state == IsViewable;
}

void write_png(const std::string& path, const std::vector<unsigned char>& rgb, int width, int height) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw prjVireo::VbError(prjVireo::vb_error_from_errno(errno), path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw prjVireo::VbError(prjVireo::vbErrDeviceIO, path + ": cannot encode the PNG image");
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row) {
        png_write_row(png, rgb.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width) * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) throw prjVireo::VbError(prjVireo::vb_error_from_errno(errno), path);
}

}  // namespace

bool display_available(std::string& why) {
    if (fl_display) return true;
    Display* display = XOpenDisplay(nullptr);
    if (display) {
        XCloseDisplay(display);
        return true;
    }
    const char* name = std::getenv("DISPLAY");
    why = name && *name ? std::string("cannot open the X display \"") + name + "\""
                        : std::string("no X display (DISPLAY is not set)");
    why += "; run it in a desktop session or under xvfb-run";
    return false;
}

void save_screenshot(Fl_Window& window, const std::string& png_path) {
    if (!window.shown()) window.show();
    // Wait until the server shows the window (a server that never does is
    // given up on), then draw it completely.
    for (int polls = 0; !viewable(window); ++polls) {
        if (polls == 400) throw prjVireo::VbError(prjVireo::vbErrDeviceIO, "the X server does not show the window");
        Fl::wait(0.05);
    }
    // Handle the exposure the mapping caused, then draw once more and let the
    // server finish before reading the pixels back.
    XSync(fl_display, False);
    while (Fl::ready()) Fl::check();
    window.redraw();
    Fl::flush();
    XSync(fl_display, False);

    const int width = window.w();
    const int height = window.h();
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    window.make_current();
    fl_read_image(rgb.data(), 0, 0, width, height);
    write_png(png_path, rgb, width, height);
}

}  // namespace vireo_ui
