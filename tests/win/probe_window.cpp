#include "tests/win/probe_window.h"

WindowParam PopupParam(const char* className, RECT rect) {
  WindowParam p = {};
  p.className = className;
  p.title = "Probe";
  p.rect = rect;
  p.style = WS_POPUP;
  p.showCmd = SW_HIDE;
  return p;
}

WindowParam DefaultParam(const char* className) {
  WindowParam p = {};
  p.className = className;
  p.classStyle = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
  p.rect = {64, 64, 384, 304};
  p.style = WS_OVERLAPPEDWINDOW;
  p.showCmd = SW_SHOW;
  return p;
}
