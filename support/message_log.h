// Where the converter and the conversion job write their messages for the user.
// The window's log and the command line's console both take this shape.
#pragma once

class MessageLog {
 public:
  // Appends text; a line feed starts a new line and text without a final line
  // feed is continued by the next call. A nonzero repaint asks for a redraw.
  virtual void AddLog(const char* text, int repaint) = 0;

 protected:
  ~MessageLog() = default;
};
