// CPVWinMain: the window's geometry. It is refreshed after the user has moved
// the window and after every size change of a normal or maximized window,
// whoever made it (a frame drag, a maximize, a snap to a screen edge, the
// program); moves made by the program, and minimizing, leave it as it was.
#include "winlib/win_main.h"

namespace {

enum Edge { kTop = 1, kRight = 2, kBottom = 4, kLeft = 8 };

// The edges a sizing-edge code (WMSZ_LEFT .. WMSZ_BOTTOMRIGHT) drags.
int EdgesOf(WPARAM code) {
  switch (code) {
    case WMSZ_LEFT: return kLeft;
    case WMSZ_RIGHT: return kRight;
    case WMSZ_TOP: return kTop;
    case WMSZ_TOPLEFT: return kTop | kLeft;
    case WMSZ_TOPRIGHT: return kTop | kRight;
    case WMSZ_BOTTOM: return kBottom;
    case WMSZ_BOTTOMLEFT: return kBottom | kLeft;
    case WMSZ_BOTTOMRIGHT: return kBottom | kRight;
    default: return 0;
  }
}

}  // namespace

// The client rectangle follows from the frame offsets fixed at creation.
void CPVWinMain::RefreshRect() {
  RECT client;
  GetWindowRect(wnd, &windowRect);
  GetClientRect(wnd, &client);
  clientWidth = client.right - client.left;
  clientHeight = client.bottom - client.top;
  frameWidth = windowRect.right - windowRect.left - clientWidth;
  frameHeight = windowRect.bottom - windowRect.top - clientHeight;
  clientRect.left = windowRect.left - frameOffset.left;
  clientRect.top = windowRect.top - frameOffset.top;
  clientRect.right = clientRect.left + clientWidth;
  clientRect.bottom = clientRect.top + clientHeight;
}

LRESULT CPVWinMain::OnMoving(HWND, WPARAM, LPARAM) {
  moving = 1;
  return TRUE;
}

LRESULT CPVWinMain::OnMove(HWND, WPARAM, LPARAM) {
  if (moving) RefreshRect();
  moving = 0;
  return 0;
}

LRESULT CPVWinMain::OnSizing(HWND, WPARAM edge, LPARAM lParam) {
  RECT* r = reinterpret_cast<RECT*>(lParam);
  int width = r->right - r->left - frameWidth;
  int height = r->bottom - r->top - frameHeight;
  int limitedWidth = width;
  int limitedHeight = height;
  if (minWidth >= 0 && limitedWidth < minWidth) limitedWidth = minWidth;
  if (minHeight >= 0 && limitedHeight < minHeight) limitedHeight = minHeight;
  if (maxWidth >= 0 && limitedWidth > maxWidth) limitedWidth = maxWidth;
  if (maxHeight >= 0 && limitedHeight > maxHeight) limitedHeight = maxHeight;
  // The remainder is the signed one, so a negative size is cut toward zero.
  if (stepWidth > 0) limitedWidth -= limitedWidth % stepWidth;
  if (stepHeight > 0) limitedHeight -= limitedHeight % stepHeight;
  bool changed = limitedWidth != width || limitedHeight != height;
  width = limitedWidth;
  height = limitedHeight;
  if (changed) {
    int edges = EdgesOf(edge);
    if (edges & kTop) r->top = r->bottom - frameHeight - height;
    if (edges & kRight) r->right = r->left + width + frameWidth;
    if (edges & kBottom) r->bottom = r->top + frameHeight + height;
    if (edges & kLeft) r->left = r->right - width - frameWidth;
  }
  sized = 1;
  return TRUE;
}

LRESULT CPVWinMain::OnSize(HWND, WPARAM sizeType, LPARAM) {
  switch (sizeType) {
    case SIZE_RESTORED:
      // Not only after WM_SIZING: a snap or a double-click on the frame
      // resizes without it.
      RefreshRect();
      maximized = 0;
      break;
    case SIZE_MAXIMIZED:
      maximized = 1;
      RefreshRect();
      break;
    default: break;
  }
  sized = 0;
  return 0;
}
