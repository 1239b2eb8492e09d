#include "cli/font_writer.h"

#include <pango/pangocairo.h>

#include "model/frame_surface.h"

namespace {

// Lines laid out by Pango and drawn by cairo into an 8-bit mask without smoothing.
class PangoWriter final : public TextWriter {
 public:
  PangoWriter(const FontChoice& font, FrameSurface& display) : font_(font), display_(display) {
    description_ = pango_font_description_from_string(font.face.c_str());
    pango_font_description_set_absolute_size(description_, double(font.size) * PANGO_SCALE);
    pango_font_description_set_weight(description_, static_cast<PangoWeight>(font.weight));
    options_ = cairo_font_options_create();
    cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options_, CAIRO_HINT_STYLE_FULL);
  }
  ~PangoWriter() override {
    cairo_font_options_destroy(options_);
    pango_font_description_free(description_);
  }
  PangoWriter(const PangoWriter&) = delete;
  PangoWriter& operator=(const PangoWriter&) = delete;

  Point MeasureTextLine(const std::string& line) override {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = Layout(cr, line);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return Point{width, height};
  }
  bool VerticalText() const override { return false; }
  int32_t TextLineSpacing() const override { return font_.lineSpacing; }

  void DrawTextLine(const std::string& line, Point at) override {
    const Point extent = MeasureTextLine(line);
    if (extent.x < 1 || extent.y < 1) return;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, extent.x, extent.y);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
      // Larger than cairo draws (32767 pixels a side) or than memory allows: nothing drawn.
      cairo_surface_destroy(surface);
      return;
    }
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = Layout(cr, line);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* bits = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < extent.y; ++y) {
      for (int32_t x = 0; x < extent.x; ++x) {
        if (bits[size_t(y) * size_t(stride) + size_t(x)] >= 128 && display_.Contains(at.x + x, at.y + y))
          display_.SetPixel(at.x + x, at.y + y, 1);
      }
    }
    cairo_surface_destroy(surface);
  }

 private:
  PangoLayout* Layout(cairo_t* cr, const std::string& line) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options_);
    pango_layout_set_font_description(layout, description_);
    pango_layout_set_text(layout, line.data(), int(line.size()));
    return layout;
  }

  FontChoice font_;
  FrameSurface& display_;
  PangoFontDescription* description_;
  cairo_font_options_t* options_;
};

}  // namespace

bool FontWritingAvailable() { return true; }

std::unique_ptr<TextWriter> MakeFontWriter(const FontChoice& font, FrameSurface& display) {
  return std::make_unique<PangoWriter>(font, display);
}
