#include "winlib/def_win.h"

namespace {

// Four 32-bit integers, left, top, right, bottom, in screen coordinates.
const char kClientRectValue[] = "ClientRect";
const uint32_t kClientRectSize = 16;

}  // namespace

// A stored rectangle replaces the record's; a shorter value replaces only its
// leading fields and a longer one is not taken (the read reports 0 bytes).
BOOL CPVDefWin::PreRegist(WindowParam* param) {
  if (!CPVWinMain::PreRegist(param)) return FALSE;
  ReadRegValue(kClientRectValue, &param->rect, kClientRectSize, 0);
  return TRUE;
}

void CPVDefWin::PreDestroy() {
  WriteRegValue(kClientRectValue, &clientRect, kClientRectSize);
  CPVWinMain::PreDestroy();
}
