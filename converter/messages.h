// The converter's and the job's messages for the log, declared once.
// Each ends in a line feed; the job's result lines end in an empty line too.
#pragma once

namespace msg {

// Header and reader.
constexpr const char kNotSmf[] = "スタンダードMIDIファイルではありません。\n";
constexpr const char kUnknownFormat[] = "認識できないフォーマットです。\n";
constexpr const char kSmpteDivision[] = "絶対時間での分解能指定には対応していません。\n";
constexpr const char kZeroDivision[] = "分解能が0に設定されています。変換できません。\n";
constexpr const char kNoMemory[] = "作業に必要なメモリが確保できませんでした。\n";
constexpr const char kBadChunk[] = "トラックチャンクが破損しています。\n";
constexpr const char kBadTrackData[] = "トラックデータが破損しています。\n";
constexpr const char kVarLenTooLong[] = "可変長数値が許容値を超えました。\n";
constexpr const char kRunningStatusBroken[] = "ランニングステータスが破綻しています。\n";
constexpr const char kUnknownMessage[] = "解析できないメッセージが含まれます。\n";

// Limits of the converter itself.
constexpr const char kTickOverflow[] = "経過時間が許容値を超えました。\n";
constexpr const char kTooMuchOutput[] = "出力が大きくなりすぎるため変換を中止しました。\n";

// Analysis pass.
constexpr const char kTrackFormat[] = "Track:%d\n";
constexpr const char kSilentTrack[] = "無音トラックです。\n";
constexpr const char kUnsetRhythm[] = "設定されていないリズム音色が存在します。\n";
constexpr const char kOutOfOctave[] = "オクターブの限界を超えた音が存在します。\n";
constexpr const char kChord[] = "和音が存在しますので、正しく出力されません。\n";
constexpr const char kTempoConflict[] =
    "同じ時間に違うテンポが設定されています。正しく出力されません。\n";
constexpr const char kTooManyTempos[] = "テンポの変更が多すぎます。正しく出力されません。\n";
constexpr const char kMeterConflict[] =
    "同じ時間に違う拍子が設定されています。正しく出力されません。\n";
constexpr const char kTooManyMeters[] = "拍子の変更が多すぎます。正しく出力されません。\n";
constexpr const char kPartLimit[] = "6パート目以降は出力されません。\n";
constexpr const char kNoTrackToOutput[] = "出力するトラックがありません。\n";

// Conversion job.
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
// Report and round-trip check.
constexpr const char kWorkFileFailed[] = "作業ファイルを作成できません。\n";
constexpr const char kReportWriteFailed[] = "レポートを書き込めません。\n";
constexpr const char kCheckFailed[] = "読み返し検査: ";
constexpr const char kCheckFailedResult[] = "書き出したMMLが変換内容と一致しません。\n";
constexpr const char kConversionSucceeded[] = "変換に成功しました。\n\n";
constexpr const char kConversionFailed[] = "変換に失敗しました。\n\n";

}  // namespace msg
