#include "job/record_spool.h"

int RecordSpool::Create(const PVTextFacts& facts, const char* target) {
  Remove();
  return temp_.Create(file_, facts, target);
}

int RecordSpool::StartReading() {
  if (!temp_.path[0]) return 0;
  int written = !file_.WriteFailed() && file_.Close();
  if (!written) file_.Discard();
  return file_.Open(temp_.path, CPVFile::kRead) && written;
}

void RecordSpool::Remove() {
  if (file_.IsOpen() && !file_.Close()) file_.Discard();
  temp_.Remove();
}
