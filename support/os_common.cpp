#include "support/os.h"

namespace {
const PVOsMethods* current = nullptr;
}

const PVOsMethods* PVOs() { return current ? current : PVOsPlatform(); }

const PVOsMethods* PVOsSwap(const PVOsMethods* methods) {
  const PVOsMethods* previous = PVOs();
  current = methods;
  return previous;
}
