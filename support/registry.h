// CPVRegistry: one open key of the per-user registry, held for the span of a
// single read or write and closed again.
#pragma once

#include <windows.h>

#include <cstdint>

class CPVRegistry {
 public:
  CPVRegistry();
  // Closes a key left open, with a debugger message.
  ~CPVRegistry();
  CPVRegistry(const CPVRegistry&) = delete;
  CPVRegistry& operator=(const CPVRegistry&) = delete;

  // Opens subKey under root for writing or reading, creating it when create
  // is set. A key already open is reported and closed first. Returns true
  // when a key is open afterwards.
  bool Open(const char* subKey, bool write, bool create, HKEY root);
  // Copies the named value, of whatever type, into buffer. Returns the byte
  // count of the value, or 0 when it is missing, too large or no key is open.
  uint32_t Read(const char* name, void* buffer, uint32_t size);
  // Stores size bytes of data as the named value of the given type.
  bool Write(const char* name, uint32_t type, const void* data, uint32_t size);
  void Close();

 private:
  HKEY key;
};
