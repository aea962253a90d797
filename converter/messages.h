// The converter's messages for the log, declared once. Each ends in a line
// feed. The job's own are in job/job_messages.h.
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

}  // namespace msg
