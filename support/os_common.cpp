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

int PVOsSameFile(const char* a, const char* b) {
  PVOsFileId idA, idB;
  if (!PVOs()->identify(a, &idA) || !PVOs()->identify(b, &idB)) return 0;
  return idA.volume == idB.volume && idA.index == idB.index;
}
