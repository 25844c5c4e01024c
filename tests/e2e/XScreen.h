#ifndef E2E_X_SCREEN_H
#define E2E_X_SCREEN_H

#include <ostream>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace e2e {

struct Rgb {
	int red;
	int green;
	int blue;
	bool operator==(const Rgb& other) const
	{
		return red == other.red && green == other.green && blue == other.blue;
	}
	bool operator!=(const Rgb& other) const { return !(*this == other); }
};
std::ostream& operator<<(std::ostream& stream, const Rgb& colour);

struct TopWindow {
	unsigned long id = 0;
	std::string title;
	std::string instance;  // WM_CLASS instance: the program's name
	int x = 0;  // content area on the screen
	int y = 0;
	int width = 0;
	int height = 0;
};

// What a part of the screen shows.
struct ScreenShot {
	int left = 0;
	int top = 0;
	int width = 0;
	int height = 0;
	std::vector<Rgb> pixels;
	Rgb At(int x, int y) const { return pixels[(size_t)(y - top) * width + (x - left)]; }
};

// A test's own client connection to an X server: it reads what the screen shows and finds
// windows the way a window manager would see them (there is none on a bare Xvfb).
class XScreen {
public:
	explicit XScreen(const std::string& display);
	~XScreen();

	bool IsOpen() const { return fDisplay != nullptr; }
	// Mapped top-level windows, of one program when instance is not empty.
	std::vector<TopWindow> Toplevels(const std::string& instance = "");
	bool FindWindow(const std::string& title, TopWindow* window);

	Rgb PixelAt(int x, int y);
	ScreenShot Grab(int left, int top, int width, int height);

	// The close box: WM_DELETE_WINDOW, as a window manager sends it.
	void SendCloseRequest(unsigned long window);
	void MoveWindow(unsigned long window, int x, int y);
	// Drops the connection (before the server goes away).
	void Close();

private:
	XScreen(const XScreen&) = delete;
	XScreen& operator=(const XScreen&) = delete;

	Display* fDisplay;
};

}  // namespace e2e

#endif
