#include "tools/IconText.h"

#include <GraphicsDefs.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "TestSupport.h"

using platform::IconText;

TEST(IconText, RejectsRowsOfTheWrongShapeAndUnknownCharacters)
{
	const char* legend = "legend\n. 255 clear\n# 0 ink\npixels\n";
	const struct {
		std::string rows;
		const char* error;
	} kCases[] = {
		{".#\n#\n", "line 6: a row of 1 pixels, not 2"},
		{".#\n#x\n", "line 6: the character 'x' is not in the legend"},
		{".#\n", "1 rows, not 2"},
		{".#\n#.\n..\n", "line 7: more than 2 rows"},
	};
	for (const auto& test : kCases) {
		std::vector<uint8> pixels = {42};
		std::string error;
		EXPECT_EQ(IconText::Parse(legend + test.rows, 2, 2, &pixels, &error), B_BAD_VALUE);
		EXPECT_NE(error.find(test.error), std::string::npos) << error;
		EXPECT_EQ(pixels, std::vector<uint8>{42});
	}
}

// The build's PNG copies of the application icon, read by an independent decoder.
TEST(DesktopIcons, EachSizeIsTheArtworkScaledByAWholeFactorWithoutSmoothing)
{
	const std::pair<int, int> kIcons[] = {
		{16, 16}, {32, 32}, {48, 16}, {64, 32}, {128, 32}, {256, 32}};
	const color_map* map = system_colors();
	for (const auto& [size, source] : kIcons) {
		std::vector<uint8> art;
		std::string error;
		ASSERT_EQ(IconText::Parse(testing_support::ReadFile(VELLUMARK_SOURCE_DIR "/resources/icon-"
									  + std::to_string(source) + ".txt"),
					  source, source, &art, &error),
			B_OK)
			<< error;
		std::string path = VELLUMARK_BINARY_DIR "/icons/" + std::to_string(size) + "x"
			+ std::to_string(size) + "/vellumark.png";
		GdkPixbuf* image = gdk_pixbuf_new_from_file(path.c_str(), NULL);
		ASSERT_TRUE(image != NULL && gdk_pixbuf_get_width(image) == size
			&& gdk_pixbuf_get_height(image) == size && gdk_pixbuf_get_has_alpha(image))
			<< path;
		const guchar* rows = gdk_pixbuf_get_pixels(image);
		int scale = size / source;
		int wrong = 0;
		for (int y = 0; y < size; y++) {
			for (int x = 0; x < size; x++) {
				const guchar* got = rows + y * gdk_pixbuf_get_rowstride(image) + x * 4;
				uint8 index = art[(y / scale) * source + x / scale];
				rgb_color colour = map->color_list[index];
				wrong += index == B_TRANSPARENT_MAGIC_CMAP8 ? got[3] != 0
															: got[0] != colour.red
						|| got[1] != colour.green || got[2] != colour.blue || got[3] != 255;
			}
		}
		EXPECT_EQ(wrong, 0) << path << ": pixels unlike the artwork scaled " << scale;
		g_object_unref(image);
	}
}
