// What a conversion job does beside the MML when it is asked to: the report
// of the conversion and the round-trip check of the MML it wrote. The job
// keeps one JobWatch for its whole run; without a report or a check it does
// nothing and the converter runs without a watch.
#pragma once

#include "report/conversion_report.h"
#include "converter/conversion_state.h"
#include "report/report_watch.h"
#include "job/record_spool.h"
#include "support/message_log.h"
#include "support/text_facts.h"

class JobWatch {
 public:
  // report may be null; check asks for the round trip. Opens the report of
  // the job, naming its source and target.
  JobWatch(ReportWriter* report, bool check, const char* source, const char* target);
  // Ends the job's report, as converted when Succeeded was called.
  ~JobWatch();
  JobWatch(const JobWatch&) = delete;
  JobWatch& operator=(const JobWatch&) = delete;

  // Creates the spools beside target and hands the watch to the converter.
  // Returns 1, or 0 when a spool cannot be created.
  int Attach(ConversionState& s, const PVTextFacts& facts, const char* target);
  // After the conversion (converted: its result) and the closing of the MML
  // at mmlPath: takes the watch back, writes the rest of the losses and, for
  // a converted song, runs the check. Returns null when the job may keep
  // the MML, else the message that says why it may not (the check's fault
  // has been logged before it).
  const char* Verify(ConversionState& s, MessageLog& log, const char* mmlPath, int converted);
  void Succeeded() { converted_ = true; }

 private:
  ReportWriter* report_;
  bool check_;
  bool converted_ = false;
  RecordSpool losses_;
  RecordSpool intended_;
  ReportWatch watch_;
};
