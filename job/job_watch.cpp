#include "job/job_watch.h"

#include <cstdio>

#include "job/job_messages.h"
#include "mml/round_trip_check.h"

JobWatch::JobWatch(ReportWriter* report, bool check, const char* source, const char* target)
    : report_(report), check_(check), watch_(report, &losses_, check ? &intended_ : nullptr) {
  if (report_) report_->Begin(source, target);
}

JobWatch::~JobWatch() {
  if (report_) report_->End(converted_, watch_.Division());
}

int JobWatch::Attach(ConversionState& s, const PVTextFacts& facts, const char* target) {
  if (!report_ && !check_) return 1;
  if (report_ && !losses_.Create(facts, target)) return 0;
  if (check_ && !intended_.Create(facts, target)) return 0;
  s.watch = &watch_;
  return 1;
}

const char* JobWatch::Verify(ConversionState& s, MessageLog& log, const char* mmlPath, int converted) {
  if (!s.watch) return nullptr;
  s.watch = nullptr;
  watch_.Finish(s);
  if (watch_.Failed()) return msg::kWorkFileFailed;
  if (check_ && converted) {
    char fault[320];
    int passed = CheckRoundTrip(s, watch_.Division(), mmlPath, intended_, fault, sizeof fault);
    if (report_) report_->AddCheck(passed ? nullptr : fault);
    if (!passed) {
      char line[400];
      std::snprintf(line, sizeof line, "%s%s\n", msg::kCheckFailed, fault);
      log.AddLog(line, 1);
      return msg::kCheckFailedResult;
    }
  }
  if (report_ && !report_->sink().Flush()) return msg::kReportWriteFailed;
  return nullptr;
}
