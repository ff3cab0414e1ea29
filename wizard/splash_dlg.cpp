#include "wizard/splash_dlg.h"

#include "platform/ui/prompter.h"
#include "resources/tarnwick/resource.h"

namespace wizard {

bool toDib(const wizard::DibPicture& picture, ui::Dib& out) {
    if (picture.bits_per_pixel != 24 && picture.bits_per_pixel != 8) return false;
    if (picture.width <= 0 || picture.height <= 0) return false;
    const size_t stride = ((static_cast<size_t>(picture.width) * picture.bits_per_pixel + 31) / 32) * 4;
    const size_t need = stride * static_cast<size_t>(picture.height);
    if (picture.bits_offset > picture.dib.size() || picture.dib.size() - picture.bits_offset < need)
        return false;
    out = ui::Dib{};
    out.width = picture.width;
    out.height = picture.height;
    out.bitsPerPixel = picture.bits_per_pixel;
    out.bits.assign(picture.dib.begin() + picture.bits_offset,
                    picture.dib.begin() + picture.bits_offset + need);
    for (const auto& c : picture.palette)
        out.palette.push_back((std::uint32_t(c.red) << 16) | (std::uint32_t(c.green) << 8) | c.blue);
    if (out.bitsPerPixel == 8 && out.palette.size() < 256) out.palette.resize(256, 0);
    return true;
}

CSplashDlg::CSplashDlg(Chain& chain, ui::Dialog* owner)
    : PageBase(chain, {IDD_SPLASH, "p1 0 1", "", ""}, PageRole::Plain, {}, owner),
      install_dir_(chain.record.install_dir.str()) {}

void CSplashDlg::initPage() {
    setTimer(IDT_SPLASH_CLOSE, kSplashMs);
    wizard::DibPicture picture;
    load_ = wizard::loadSplashPicture(install_dir_ + "\\image\\bundlewright.jpg",
                                       install_dir_ + "\\image\\bundlewright.bmp", picture);
    if (load_ == wizard::DibLoad::CannotBeLoaded)
        ui::messageBox(wizard::kImageCannotBeLoaded, "", ui::Buttons::Ok, ui::Icon::Information);
    if (load_ == wizard::DibLoad::ErrorInLoading)
        ui::messageBox(wizard::kErrorInLoadingBitmap, "", ui::Buttons::Ok, ui::Icon::Information);
    hasPicture_ = load_ == wizard::DibLoad::Loaded && toDib(picture, dib_);
}

void CSplashDlg::onTimer(int timerId) {
    if (timerId != IDT_SPLASH_CLOSE) return;
    killTimer(IDT_SPLASH_CLOSE);
    end(ui::IdCancel);      // what closing the window gives a dialog
}

void CSplashDlg::onPaint() {
    if (!hasPicture_) return;
    const Size client = clientSize();
    stretched_ = client.width != dib_.width || client.height != dib_.height;
    if (stretched_) drawDibStretched(0, 0, client.width, client.height, dib_);
    else drawDib(0, 0, dib_);
}

int runSplashWindow(Chain& chain, ui::Dialog* owner) {
    CSplashDlg splash(chain, owner);
    return splash.runModal();
}

}  // namespace wizard
