// CPVDefWin: a window that remembers its client rectangle. It stores the
// rectangle in the registry when the window is destroyed and gives it back to
// the creation record of the next window set up under the same subkey.
#pragma once

#include "winlib/win_main.h"

class CPVDefWin : public CPVWinMain {
 public:
  BOOL PreRegist(WindowParam* param) override;
  void PreDestroy() override;
};
