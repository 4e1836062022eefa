#include "interp/texts.h"

#include "platform/cp932.h"

namespace zamiro {
namespace {

Texts Build() {
  Texts t;
  t.capIgnore = Sjis("エラー 無視します");
  t.capIgnoreTight = Sjis("エラー無視します");
  t.capZero = Sjis("エラー 値は０とします");
  t.capDivZero = Sjis("エラー ０でのわり算");
  t.capError = Sjis("エラー");
  t.capSkip = Sjis("無視します");

  t.msgNewProcedure = Sjis("%s の %d 行 %d 列の %s は新しい手続きです");
  t.msgNotProcedure = Sjis("%s の %d 行 %d 列の %s は手続きではありません");
  t.msgArrayNeeded = Sjis("%s の %d 行 %d 列には配列が必要です");
  t.msgNewArray = Sjis("%s の %d 行 %d 列の %s は初めて出てくる配列です");
  t.msgNoRParen = Sjis("%s の %d 行 %d 列で ) がありません");
  t.msgPrefix = Sjis("%s の %d 行 %d 列の %s は");
  t.msgValueUndefined = Sjis("値が定義されていません");
  t.msgNewVariable = Sjis("%s の %d 行 %d 列の %s は初めて出てくる変数です");
  t.msgQuoteNotColon = Sjis("%s の %d 行 %d 列の %s には”ではなく：が必要です");
  t.msgNewFunction = Sjis("%s の %d 行 %d 列の %s は初めて出てくる関数です");
  t.msgDivZero = Sjis("%s の %d 行 %d 列で０で割りました");
  t.msgBangWide = Sjis("%s の %d 行 %d 列の %s は！に続かない");
  t.msgBangWideChar = Sjis("%s の %d 行 %d 列の %c は！に続かない");
  t.msgBangAscii = Sjis("%s の %d 行 %d 列の %c は ! に続かない");
  t.msgUnusable = Sjis("%s の %d行 %d 列の %c は使わない文字です");
  t.msgNoEnd = Sjis("%s には END がありません");

  t.msgLineTooLong = Sjis("%s の %d 行は %d バイトあり長すぎるので読みません（1 行は %d バイトまで）");
  t.msgNameTooLong = Sjis("%s の %d 行 %d 列の名前は長すぎるので %d バイトで切りました");
  t.msgNumberTooLong = Sjis("%s の %d 行 %d 列の数は長すぎるので %d 文字で切りました");
  t.msgVarNameTooLong =
      Sjis("%s の %d 行 %d 列の %s は変数の名前として長すぎます（%d バイトまで）");
  t.msgBadIndex = Sjis("%s の %d 行 %d 列の %s の添え字は 0 から %d までです");
  t.msgNoMemory = Sjis("%s の %d 行 %d 列でメモリが足りなくなりました");
  t.msgIntRange = Sjis(
      "%s の %d 行 %d 列の値は整数にできません（-2147483648 から 2147483647 までです）");
  t.msgTooDeep = Sjis("%s の %d 行 %d 列で手続きの呼び出しや式の入れ子が深すぎます");
  t.msgPastEnd = Sjis("%s の %d 行 %d 列で手続きの終わりを越えました（] が足りません）");
  t.msgProcNameTooLong = Sjis("%s の手続きの名前は長すぎます（%d バイトまで）");
  t.msgParamTooLong = Sjis("%s の引数の名前 %s は長すぎます（%d バイトまで）");
  t.msgCountOutOfRange = Sjis("%s の %d 行 %d 列の点の数 %s は 0 から %d までです");

  t.wordEnd = Sjis("おわり");
  t.wordTo = Sjis("てじゅんは");
  t.wideSpace = Sjis("　");
  const char* const colours[16] = {"くろ",     "くりいろ",     "みどり",           "きみどり",
                                   "こいこん", "むらさき",     "くらいあおみどり", "はいいろ",
                                   "ぎん",     "あか",         "こいみどり",       "きいろ",
                                   "あお",     "あかむらさき", "みずいろ",         "しろ"};
  for (int i = 0; i < 16; ++i) t.colourNames[i] = Sjis(colours[i]);
  return t;
}

}  // namespace

const Texts& T() {
  static const Texts texts = Build();
  return texts;
}

}  // namespace zamiro
