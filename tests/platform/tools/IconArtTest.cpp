#include "ToolTestSupport.h"

#include "tools/IconText.h"

#include <GraphicsDefs.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstring>

using platform::IconText;

TEST(IconText, ParsesTheLegendAndRows)
{
	std::vector<uint8> pixels;
	std::string error;
	ASSERT_EQ(IconText::Parse("notes\nlegend\n.  255  clear\n#    0  ink\npixels\n.#\n#.\n", 2, 2,
				  &pixels, &error),
		B_OK)
		<< error;
	EXPECT_EQ(pixels, (std::vector<uint8>{255, 0, 0, 255}));
}

TEST(IconText, RejectsRowsOfTheWrongShapeAndUnknownCharacters)
{
	const char* legend = "legend\n. 255 clear\n# 0 ink\npixels\n";
	const struct {
		std::string rows;
		const char* error;
	} cases[] = {
		{".#\n#\n", "line 6: a row of 1 pixels, not 2"},
		{".#\n#x\n", "line 6: the character 'x' is not in the legend"},
		{".#\n", "1 rows, not 2"},
		{".#\n#.\n..\n", "line 7: more than 2 rows"},
	};
	for (const auto& test : cases) {
		std::vector<uint8> pixels = {42};
		std::string error;
		EXPECT_EQ(IconText::Parse(legend + test.rows, 2, 2, &pixels, &error), B_BAD_VALUE);
		EXPECT_NE(error.find(test.error), std::string::npos) << error;
		EXPECT_EQ(pixels, std::vector<uint8>{42});
	}
}

TEST(IconText, FormatReadsBackAsTheSamePixels)
{
	std::vector<uint8> pixels = {255, 0, 212, 17};
	std::string text = IconText::Format(pixels.data(), 2, 2, "");
	EXPECT_EQ(text.substr(0, text.find('\n')), "legend: #=0 A=17 R=212 .=255");
	std::string source =
		"legend\n# 0 x\nA 17 x\nR 212 x\n. 255 x\npixels\n" + text.substr(text.find('\n') + 1);
	std::vector<uint8> parsed;
	std::string error;
	ASSERT_EQ(IconText::Parse(source, 2, 2, &parsed, &error), B_OK) << error;
	EXPECT_EQ(parsed, pixels);
}

TEST(DesktopIcons, EachSizeIsTheArtworkScaledByAWholeFactorWithoutSmoothing)
{
	const struct {
		int size;
		int source;
	} icons[] = {{16, 16}, {32, 32}, {48, 16}, {64, 32}, {128, 32}, {256, 32}};
	const color_map* map = system_colors();
	for (size_t i = 0; i < std::size(icons); i++) {
		int size = icons[i].size;
		int source = icons[i].source;
		std::vector<uint8> art;
		std::string error;
		ASSERT_EQ(IconText::Parse(
					  tool_test::SourceText("resources/icon-" + std::to_string(source) + ".txt"),
					  source, source, &art, &error),
			B_OK)
			<< error;
		std::string path = VELLUMARK_BINARY_DIR "/icons/" + std::to_string(size) + "x"
			+ std::to_string(size) + "/vellumark.png";
		GError* loadError = NULL;
		GdkPixbuf* image = gdk_pixbuf_new_from_file(path.c_str(), &loadError);
		ASSERT_NE(image, nullptr) << "row " << i << ": " << (loadError ? loadError->message : "");
		ASSERT_EQ(gdk_pixbuf_get_width(image), size) << "row " << i;
		ASSERT_EQ(gdk_pixbuf_get_height(image), size) << "row " << i;
		ASSERT_TRUE(gdk_pixbuf_get_has_alpha(image)) << "row " << i;
		const guchar* rows = gdk_pixbuf_get_pixels(image);
		int stride = gdk_pixbuf_get_rowstride(image);
		int scale = size / source;
		int wrong = 0;
		for (int y = 0; y < size; y++) {
			for (int x = 0; x < size; x++) {
				const guchar* got = rows + y * stride + x * 4;
				uint8 index = art[(y / scale) * source + x / scale];
				rgb_color colour = map->color_list[index];
				bool same = index == B_TRANSPARENT_MAGIC_CMAP8 ? got[3] == 0
															   : got[0] == colour.red
						&& got[1] == colour.green && got[2] == colour.blue && got[3] == 255;
				wrong += same ? 0 : 1;
			}
		}
		EXPECT_EQ(wrong, 0) << "row " << i << ": pixels unlike the artwork scaled " << scale;
		g_object_unref(image);
	}
}
