#include "ui/win/winowner.h"

#include "ui/win/winhandles.h"

namespace wintk {
namespace {
constexpr const wchar_t* kProp = L"FolantraOwner";
}

ModalOwner::ModalOwner()
{
    mFocused = GetFocus();
    mActive = GetActiveWindow();
    HWND main = hostMainWindow();
    HWND anchor = mActive != nullptr ? mActive : main;
    mOwner = anchor != nullptr ? GetAncestor(anchor, GA_ROOT) : nullptr;
    mDisabled = main != nullptr ? GetAncestor(main, GA_ROOT) : nullptr;
    if (mDisabled == nullptr && mActive != nullptr)
        mDisabled = GetWindow(mActive, GW_OWNER);
    if (mDisabled != nullptr) {
        // EnableWindow answers whether the window was disabled before.
        mWasEnabled = !EnableWindow(mDisabled, FALSE);
    }
}

void ModalOwner::attach(HWND modal) { SetPropW(modal, kProp, this); }

void ModalOwner::detach(HWND modal) { RemovePropW(modal, kProp); }

void ModalOwner::release()
{
    if (mDisabled != nullptr && mWasEnabled && IsWindow(mDisabled))
        EnableWindow(mDisabled, TRUE);
    mDisabled = nullptr;
}

ModalOwner::~ModalOwner()
{
    release();
    if (mActive != nullptr && IsWindow(mActive) && GetActiveWindow() != mActive)
        SetActiveWindow(mActive);
    if (mFocused != nullptr && IsWindow(mFocused))
        SetFocus(mFocused);
}

void endModal(HWND modal, INT_PTR result)
{
    if (auto* owner = static_cast<ModalOwner*>(GetPropW(modal, kProp)))
        owner->release();
    EndDialog(modal, result);
}

} // namespace wintk
