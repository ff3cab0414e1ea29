// A plain window and its message loop, for the tests under Wine: they need
// the window system itself here, not our dialogs.
#include "platform/testing/setting_listener.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace bwtest {

struct EnvironmentListener::Impl {
    std::atomic<int> heard{0};
    std::atomic<HWND> window{nullptr};
    std::thread loop;

    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_SETTINGCHANGE && lp && std::strcmp(reinterpret_cast<const char*>(lp), "Environment") == 0) {
            auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            if (self) ++self->heard;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
};

EnvironmentListener::EnvironmentListener() : impl_(new Impl) {
    std::atomic<bool> ready{false};
    Impl* impl = impl_.get();
    impl->loop = std::thread([impl, &ready] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Impl::proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BwTestEnvironmentListener";
        RegisterClassA(&wc);
        // Top-level (not message-only): broadcasts reach only top-level windows.
        HWND hwnd = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                  nullptr);
        if (hwnd) SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl));
        impl->window = hwnd;
        ready = true;
        MSG msg;
        while (hwnd && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    });
    while (!ready) Sleep(10);
}

EnvironmentListener::~EnvironmentListener() {
    if (HWND hwnd = impl_->window) PostMessageA(hwnd, WM_QUIT, 0, 0);
    impl_->loop.join();
    if (HWND hwnd = impl_->window) DestroyWindow(hwnd);
}

bool EnvironmentListener::heard(int count) const {
    for (int i = 0; i < 500 && impl_->heard < count; ++i) Sleep(10);
    return impl_->heard >= count;
}

}  // namespace bwtest
