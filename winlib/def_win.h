// CPVDefWin: a window that remembers its client rectangle. It stores the
// rectangle in the registry when the window is destroyed and gives it back to
// the creation record of the next window set up under the same subkey, moved
// onto the screen and grown to the minimum client size when it needs to be.
#pragma once

#include "winlib/win_main.h"

class CPVDefWin : public CPVWinMain {
 public:
  BOOL PreRegist(WindowParam* param) override;
  void PreDestroy() override;

 private:
  void FitStoredRect(WindowParam* param) const;
};
