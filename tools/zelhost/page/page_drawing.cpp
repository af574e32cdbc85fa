#include "tools/zelhost/page/page_drawing.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

namespace zelhost::page {
namespace {

constexpr double kTwipsPerPoint = 20;

template <typename T, void (*Free)(T*)>
struct Freer {
  void operator()(T* p) const { Free(p); }
};
using Surface = std::unique_ptr<cairo_surface_t, Freer<cairo_surface_t, cairo_surface_destroy>>;
using Cairo = std::unique_ptr<cairo_t, Freer<cairo_t, cairo_destroy>>;
using FontOptions =
    std::unique_ptr<cairo_font_options_t, Freer<cairo_font_options_t, cairo_font_options_destroy>>;
using Description =
    std::unique_ptr<PangoFontDescription, Freer<PangoFontDescription, pango_font_description_free>>;
void unref(void* object) { g_object_unref(object); }
using Object = std::unique_ptr<void, Freer<void, unref>>;

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

void check(cairo_status_t status, const char* what) {
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string(what) + ": " + cairo_status_to_string(status));
}

// Draws texts in points from the page's top-left corner. Outlines are
// neither hinted nor their widths rounded to pixels, so that the PNG and the
// PDF place every character alike, at any resolution.
class PageWriter {
 public:
  PageWriter(cairo_t* cr, const std::string& family)
      : cr_(cr), fontMap_(pango_cairo_font_map_new()), family_(family) {
    context_.reset(pango_font_map_create_context(static_cast<PangoFontMap*>(fontMap_.get())));
    PangoContext* context = static_cast<PangoContext*>(context_.get());
    FontOptions options(cairo_font_options_create());
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options.get());
    pango_cairo_context_set_resolution(context, 72);  // a point is a unit of the page
    pango_cairo_update_context(cr_, context);
  }

  void draw(const std::vector<PlacedText>& texts) {
    cairo_set_source_rgb(cr_, 0, 0, 0);
    for (const PlacedText& t : texts) {
      if (t.text.empty()) continue;
      Object layout(pango_layout_new(static_cast<PangoContext*>(context_.get())));
      PangoLayout* l = static_cast<PangoLayout*>(layout.get());
      Description font(pango_font_description_new());
      pango_font_description_set_family(font.get(), family_.c_str());
      pango_font_description_set_size(font.get(),
                                      static_cast<int>(std::lround(t.points * PANGO_SCALE)));
      pango_font_description_set_weight(font.get(),
                                        t.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
      pango_layout_set_font_description(l, font.get());
      pango_layout_set_text(l, t.text.c_str(), static_cast<int>(t.text.size()));
      cairo_move_to(cr_, t.x / kTwipsPerPoint, t.y / kTwipsPerPoint);
      pango_cairo_show_layout(cr_, l);
    }
  }

 private:
  cairo_t* cr_;
  Object fontMap_;
  Object context_;
  std::string family_;
};

std::string drawPdf(const SpoolPages& pages, const Drawing& d) {
  std::string bytes;
  {
    Surface surface(cairo_pdf_surface_create_for_stream(
        appendBytes, &bytes, d.size.width / kTwipsPerPoint, d.size.height / kTwipsPerPoint));
    Cairo cr(cairo_create(surface.get()));
    PageWriter writer(cr.get(), d.family);
    if (pages.pages.empty()) cairo_show_page(cr.get());  // markup alone: one blank page
    for (const std::vector<PlacedText>& page : pages.pages) {
      writer.draw(page);
      cairo_show_page(cr.get());
    }
    check(cairo_status(cr.get()), "drawing the PDF");
    cairo_surface_finish(surface.get());
    check(cairo_surface_status(surface.get()), "writing the PDF");
  }
  return bytes;
}

std::string drawPng(const SpoolPages& pages, const Drawing& d) {
  const double pixelsPerTwip = d.dpi / 1440.0;
  Surface surface(cairo_image_surface_create(
      CAIRO_FORMAT_RGB24, static_cast<int>(std::lround(d.size.width * pixelsPerTwip)),
      static_cast<int>(std::lround(d.size.height * pixelsPerTwip))));
  check(cairo_surface_status(surface.get()), "making the image");
  Cairo cr(cairo_create(surface.get()));
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_paint(cr.get());
  cairo_scale(cr.get(), d.dpi / 72.0, d.dpi / 72.0);
  PageWriter writer(cr.get(), d.family);
  if (!pages.pages.empty()) writer.draw(pages.pages.front());
  check(cairo_status(cr.get()), "drawing the image");
  std::string bytes;
  check(cairo_surface_write_to_png_stream(surface.get(), appendBytes, &bytes), "writing the PNG");
  return bytes;
}

}  // namespace

std::string drawPages(const SpoolPages& pages, const Drawing& drawing) {
  return drawing.kind == OutputKind::Pdf ? drawPdf(pages, drawing) : drawPng(pages, drawing);
}

}  // namespace zelhost::page
