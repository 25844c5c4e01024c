#include "interface/PlainFont.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <string.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>
#include <unordered_map>

namespace platform {

namespace {

const double kWantedAscent = 10.0;
const size_t kWidthCacheLimit = 512;

// The text as Pango takes it: at most length bytes, cut at a NUL, and valid UTF-8 (bad
// bytes from a caller become U+FFFD instead of upsetting Pango).
std::string LayoutText(const char* text, int32 length)
{
	if (text == NULL)
		return std::string();
	size_t size = length < 0 ? strlen(text) : strnlen(text, size_t(length));
	if (g_utf8_validate(text, gssize(size), NULL))
		return std::string(text, size);
	gchar* valid = g_utf8_make_valid(text, gssize(size));
	std::string result(valid);
	g_free(valid);
	return result;
}

}  // namespace

struct PlainFont::State {
	std::mutex lock;
	PangoFontMap* fontMap = NULL;
	PangoContext* context = NULL;
	PangoLayout* layout = NULL;
	std::unordered_map<std::string, float> widths;

	// Lays text out as one line; newlines show as glyphs rather than breaking it.
	PangoLayoutLine* SetText(const std::string& text)
	{
		pango_layout_set_text(layout, text.data(), int(text.size()));
		return pango_layout_get_line_readonly(layout, 0);
	}
};

namespace {

cairo_font_options_t* FixedFontOptions(cairo_hint_metrics_t metrics)
{
	cairo_font_options_t* options = cairo_font_options_create();
	cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
	cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
	cairo_font_options_set_hint_metrics(options, metrics);
	cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
	return options;
}

PangoContext* NewContext(PangoFontMap* fontMap, cairo_hint_metrics_t metrics)
{
	PangoContext* context = pango_font_map_create_context(fontMap);
	cairo_font_options_t* options = FixedFontOptions(metrics);
	pango_cairo_context_set_font_options(context, options);
	cairo_font_options_destroy(options);
	pango_context_set_language(context, pango_language_from_string("en"));
	pango_context_set_base_dir(context, PANGO_DIRECTION_LTR);
	pango_context_set_round_glyph_positions(context, TRUE);
	return context;
}

// The pixel size at which the face's design ascent is kWantedAscent, measured once from
// unhinted metrics so that hinting's rounding does not feed back into the size.
double AbsoluteSizeForAscent(PangoFontMap* fontMap, PangoFontDescription* description)
{
	PangoContext* context = NewContext(fontMap, CAIRO_HINT_METRICS_OFF);
	const double probe = 100.0;
	pango_font_description_set_absolute_size(description, probe * PANGO_SCALE);
	PangoFontMetrics* metrics = pango_context_get_metrics(context, description, NULL);
	double ascent = double(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE;
	pango_font_metrics_unref(metrics);
	g_object_unref(context);
	if (!(ascent > 0))
		return kWantedAscent * PANGO_SCALE;
	return std::floor(probe * kWantedAscent / ascent * PANGO_SCALE);
}

}  // namespace

PlainFont& PlainFont::Default()
{
	// Never destroyed: threads may still draw while static objects are torn down.
	static PlainFont* font = new PlainFont;
	return *font;
}

PlainFont::PlainFont() :
	fState(new State)
{
	fState->fontMap = pango_cairo_font_map_new();
	fState->context = NewContext(fState->fontMap, CAIRO_HINT_METRICS_ON);

	PangoFontDescription* description = pango_font_description_from_string("Sans");
	pango_font_description_set_style(description, PANGO_STYLE_NORMAL);
	pango_font_description_set_weight(description, PANGO_WEIGHT_NORMAL);
	pango_font_description_set_absolute_size(
		description, AbsoluteSizeForAscent(fState->fontMap, description));

	fState->layout = pango_layout_new(fState->context);
	pango_layout_set_font_description(fState->layout, description);
	pango_layout_set_single_paragraph_mode(fState->layout, TRUE);

	PangoFontMetrics* metrics = pango_context_get_metrics(fState->context, description, NULL);
	fHeight.ascent = float(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE;
	fHeight.descent = float(pango_font_metrics_get_descent(metrics)) / PANGO_SCALE;
	float lineHeight = float(pango_font_metrics_get_height(metrics)) / PANGO_SCALE;
	fHeight.leading = std::max(0.0f, lineHeight - fHeight.ascent - fHeight.descent);
	pango_font_metrics_unref(metrics);
	pango_font_description_free(description);
}

float PlainFont::StringWidth(const char* text, int32 length)
{
	std::string string = LayoutText(text, length);
	if (string.empty())
		return 0;

	std::lock_guard<std::mutex> guard(fState->lock);
	auto cached = fState->widths.find(string);
	if (cached != fState->widths.end())
		return cached->second;

	PangoRectangle logical;
	pango_layout_line_get_extents(fState->SetText(string), NULL, &logical);
	float width = float(logical.width) / PANGO_SCALE;
	if (fState->widths.size() >= kWidthCacheLimit)
		fState->widths.clear();
	fState->widths.emplace(std::move(string), width);
	return width;
}

void PlainFont::Draw(uint32* pixels, int32 width, int32 height, const PixelBox& clip, int32 x,
	int32 baseline, const char* text, int32 length, rgb_color color)
{
	if (pixels == NULL || clip.IsEmpty() || clip.left < 0 || clip.top < 0 || clip.right >= width
		|| clip.bottom >= height)
		return;
	std::string string = LayoutText(text, length);
	if (string.empty())
		return;

	std::lock_guard<std::mutex> guard(fState->lock);
	PangoLayoutLine* line = fState->SetText(string);

	cairo_surface_t* surface = cairo_image_surface_create_for_data(
		reinterpret_cast<unsigned char*>(pixels), CAIRO_FORMAT_ARGB32, width, height, width * 4);
	cairo_t* cr = cairo_create(surface);
	cairo_rectangle(
		cr, clip.left, clip.top, clip.right - clip.left + 1.0, clip.bottom - clip.top + 1.0);
	cairo_clip(cr);
	cairo_set_source_rgb(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
	// Pixel (x, baseline) is the square from (x, baseline) to (x + 1, baseline + 1) in
	// cairo's space; ink that sits on the baseline fills that row, so cairo's baseline is
	// the row's lower edge.
	cairo_move_to(cr, x, baseline + 1.0);
	pango_cairo_show_layout_line(cr, line);
	cairo_destroy(cr);
	cairo_surface_flush(surface);
	cairo_surface_destroy(surface);

	// Text paints opaque like everything else, also over a buffer that was never filled.
	PangoRectangle ink;
	pango_layout_line_get_pixel_extents(line, &ink, NULL);
	int64 left = std::max<int64>(clip.left, int64(x) + ink.x - 1);
	int64 right = std::min<int64>(clip.right, int64(x) + ink.x + ink.width + 1);
	int64 top = std::max<int64>(clip.top, int64(baseline) + 1 + ink.y - 1);
	int64 bottom = std::min<int64>(clip.bottom, int64(baseline) + 1 + ink.y + ink.height + 1);
	for (int64 y = top; y <= bottom; y++) {
		uint32* row = pixels + size_t(y) * size_t(width);
		for (int64 column = left; column <= right; column++)
			row[column] |= 0xFF000000u;
	}
}

}  // namespace platform
