#ifndef PLATFORM_GTK_HOST_H
#define PLATFORM_GTK_HOST_H

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "host/Host.h"
#include "host/gtk/GtkDisplayThread.h"

namespace platform {

class GtkHostWindow;

// The host on a real display through GTK 3. Every GTK call runs on the display thread;
// the calls of this interface hop onto it, and wait there only where they return something
// or must be finished when they return (creating and closing a window).
class GtkHost : public Host {
public:
	static GtkHost& Instance();

	GtkHost();
	~GtkHost() override;

	status_t Init(const std::function<void()>& meanwhile = nullptr) override;
	void Shutdown() override;
	const char* LastError() const override;

	status_t CreateWindow(
		const HostWindowParams& params, HostInput* input, host_window_id* id) override;
	void ShowWindow(host_window_id id) override;
	void HideWindow(host_window_id id) override;
	void PresentPixels(
		host_window_id id, const uint32* pixels, int32 width, int32 height, BRect dirty) override;
	void CloseWindow(host_window_id id) override;
	bool GetPointer(host_window_id id, BPoint* where, uint32* buttons) override;

private:
	static void PrepareBackend();
	static std::string DisplayName();
	// The X display GTK opens first (see PrepareBackend); empty when it opens another first.
	static std::string XDisplayTriedFirst();
	void WatchForDisplayLoss();
	// Display thread only: the window of an id, NULL when it is closed or unknown.
	GtkHostWindow* WindowFor(host_window_id id);

	std::mutex fInitLock;
	bool fInitDone;
	status_t fInitStatus;
	std::string fLastError;

	GtkDisplayThread fDisplay;
	std::map<host_window_id, std::unique_ptr<GtkHostWindow>> fWindows;  // display thread
	std::atomic<host_window_id> fNextId;
};

}  // namespace platform

#endif
