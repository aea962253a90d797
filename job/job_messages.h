// The conversion job's messages for the log, declared once: the files, the
// report and the round-trip check, and the result lines. Each ends in a line
// feed; the result lines end in an empty line too.
#pragma once

namespace msg {

// Files.
constexpr const char kSourceOpenFailed[] = "変換元ファイルが開けません。\n";
constexpr const char kTargetCreateFailed[] = "変換先ファイルを作成できません。\n";
constexpr const char kTargetWriteFailed[] = "変換先ファイルに書き込めません。\n";
constexpr const char kTargetReplaceFailed[] = "変換先ファイルを置き換えられません。\n";
constexpr const char kPathTooLong[] = "パスが長すぎます。\n";
constexpr const char kSourceReadFailed[] = "変換元ファイルが読めません。\n";
// A source that cannot seek (a pipe) is held in memory, up to this size.
constexpr const char kSourceTooLarge[] = "パイプから読める変換元は64MiBまでです。\n";
// %s: the file name of the earlier source of the same run.
constexpr const char kTargetClash[] = "変換先が%sの変換先と同じため、変換しません。\n";

// MML to MIDI: the file name, line and column, and what the reader found.
constexpr const char kMmlUnreadable[] = "%s:%d:%d: %s\n";

// Report and round-trip check.
constexpr const char kWorkFileFailed[] = "作業ファイルを作成できません。\n";
constexpr const char kReportWriteFailed[] = "レポートを書き込めません。\n";
constexpr const char kCheckFailed[] = "読み返し検査: ";
constexpr const char kCheckFailedResult[] = "書き出したMMLが変換内容と一致しません。\n";

// Result lines.
constexpr const char kConversionSucceeded[] = "変換に成功しました。\n\n";
constexpr const char kConversionFailed[] = "変換に失敗しました。\n\n";

}  // namespace msg
