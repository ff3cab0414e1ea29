// The splash window (dialog 266): the product picture for three seconds at
// start-up. The picture is converted from install_dir\image\bundlewright.jpg
// at every start and read back as a packed bitmap; without it the window
// stays empty and still closes after three seconds.
#pragma once

#include <string>

#include "wizard/splash_image.h"
#include "platform/ui/dialog.h"
#include "wizard/page_base.h"

namespace wizard {

inline constexpr unsigned kSplashMs = 3000;

// The loaded picture as the dialog framework paints it (24-bit BGR rows or
// 8-bit indices with their palette). False for a picture the framework cannot
// draw (other depths, compressed bits).
bool toDib(const wizard::DibPicture& picture, ui::Dib& out);

// The splash step Tarnwick.exe gives its welcome page.
int runSplashWindow(Chain& chain, ui::Dialog* owner);

class CSplashDlg : public PageBase {
public:
    // The picture comes from the record's installation folder.
    explicit CSplashDlg(Chain& chain, ui::Dialog* owner = nullptr);

    wizard::DibLoad loadResult() const { return load_; }
    bool hasPicture() const { return hasPicture_; }
    const ui::Dib& picture() const { return dib_; }
    // How the last paint drew it: stretched to the client area, or copied
    // when the picture has the client area's size.
    bool stretched() const { return stretched_; }

protected:
    void initPage() override;
    void onTimer(int timerId) override;
    void onPaint() override;
    int focusControl() const override { return 0; }

private:
    std::string install_dir_;
    wizard::DibLoad load_ = wizard::DibLoad::NoPicture;
    bool hasPicture_ = false;
    bool stretched_ = false;
    ui::Dib dib_;
};

}  // namespace wizard
