// The scenario image: operand readers, scenario files and the call stack,
// flags and work variables.
#include <cstdio>
#include <string>

#include "core/errors.h"
#include "core/game_path.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "scenario/scenario.h"

namespace velmor::scenario {

namespace {
constexpr std::string_view kSnxDir = "SNX\\";

std::string Number(long n) { return std::to_string(n); }
}  // namespace

Scenario::Scenario(ScenarioHost& host, ScenarioServices services, const InputState& input,
                   const std::string& dat_path)
    : host_(host), services_(services), input_(input), dat_path_(dat_path) {
  waits.Bind(WaitHandler::WaitClick, [this] { WaitClick(); });
  waits.Bind(WaitHandler::WaitTicks, [this] { WaitTicks(); });
  waits.Bind(WaitHandler::IdleWait, [this] { IdleWait(); });
}

ByteString Scenario::ReadString() {
  uint32_t read = 0;
  return ReadString(read);
}

ByteString Scenario::ReadString(uint32_t& read) {
  ByteString s;
  const uint16_t start = inx;
  // At most the whole image: a string without a 0 byte anywhere would
  // otherwise run round it for ever.
  // Mended: a long string was charged a 64th of its bytes, so a loop of
  // long texts held the tick far longer than its budget; every byte read is
  // charged now.
  for (read = 0; read < kImageSize; ++read) {
    uint8_t b = FetchByte();
    if (b == 0) {
      ++read;
      work_ += read;
      return s;
    }
    if (b >= language::text_code::kFirstName && b <= language::text_code::kLastName) {
      s.append(mcr[b - language::text_code::kFirstName]);
    } else if (language::TakesNextByte(b)) {
      s.push_back(b);  // a colour or size code with its parameter, or a
      s.push_back(FetchByte());  // double-byte character: the pair goes together
      ++read;
    } else {
      s.push_back(b);
    }
  }
  FailUnended(start);
}

void Scenario::FailUnended(uint16_t at) {
  char offset[16];
  std::snprintf(offset, sizeof offset, "%04X", at);
  Fail(GameSentence(GameText("シナリオファイルが壊れています。終わりのない文字列です。\n%s.SNX : %s"),
                    {CallFile[CallDepth].str(), offset}));
}

void Scenario::LoadScenario(const ByteString& name) {
  const std::string file = std::string(kSnxDir) + name.str() + ".SNX";
  std::string path = GamePath(dat_path_, file);
  auto tell = [&](const char* sentence, std::string_view why = {}) {
    if (OnFileFailure) OnFileFailure(Fill(sentence, {GamePath("", file), why}));
  };
  // Mended: a name with ".." or a path of its own read any file of the
  // machine; a scenario's names stay inside the data folder.
  if (LeavesFolder(name.view())) {
    failed_file_ = Fill(Tr("\"%s\": the name leaves the data folder"), {SjisToUtf8(name.str())});
    tell(Tr("scenario %s is refused: the name leaves the data folder"));
    Fail(GameSentence(GameText("データフォルダの外のファイルは使えません。\n%s"), {name.str()}));
  }
  std::string error;
  auto bytes = services_.files.ReadFile(path, &error);
  if (!bytes) {
    failed_file_ = error;
    tell(services_.files.Exists(path) ? Tr("scenario %s cannot be read: %s")
                                      : Tr("scenario %s is missing"),
         error);
    Fail(GameSentence(GameText("シナリオファイルを読み込めません。\n%s\n%s"),
                      {Utf8ToSjis(path), Utf8ToSjis(error)}));
  }
  // Mended: the original copied a file of any size into its 65,536-byte image;
  // a larger one is refused by name.
  if (bytes->size() > kImageSize) {
    const std::string size = Number(static_cast<long>(bytes->size()));
    failed_file_ = Fill(Tr("%s: %s bytes, more than a scenario file can hold (65536)"), {path, size});
    tell(Tr("scenario %s is %s bytes; a scenario file holds at most 65536"), size);
    Fail(GameSentence(GameText("シナリオファイルが大きすぎます (65536 バイトまで)。\n%s\n%s バイト"),
                      {Utf8ToSjis(path), Number(static_cast<long>(bytes->size()))}));
  }
  // Loading costs far more than an instruction: a scenario that loads files
  // in a loop uses up its tick sooner.
  work_ += kFileLoadWork + static_cast<uint32_t>(bytes->size() >> 4);
  // Bytes past the end of the file keep what the previous file left there.
  std::copy(bytes->begin(), bytes->end(), snx.begin());
  inx = 0;
  CallFile[CallDepth] = Sstr(name);
}

void Scenario::EnterCall(bool for_slot_reader) {
  // Mended: the original called deeper than its levels 0 to 7 unchecked.
  int deepest = for_slot_reader ? kStackLevels - 1 : kCallLevels - 1;
  if (CallDepth >= deepest)
    Fail(GameSentence(GameText("シナリオの呼び出しが深すぎます (入れ子は 7 段まで)。\n呼び出し元: %s"),
                      {CallFile[CallDepth].str()}));
  ReturnInx[CallDepth] = inx;
  ++CallDepth;
}

void Scenario::CallScenario(const ByteString& name) {
  EnterCall();
  LoadScenario(name);
}

void Scenario::ReturnScenario() {
  // Mended: the original returned from level 0 to below its call stack.
  if (CallDepth == 0)
    Fail(GameSentence(GameText("呼び出されていないシナリオからのリターンです。\n%s"), {CallFile[0].str()}));
  --CallDepth;
  LoadScenario(ByteString(CallFile[CallDepth]));
  inx = ReturnInx[CallDepth];
}

void Scenario::FailFlagNumber() { Fail(GameSentence(GameText("範囲外のフラグ指定"), {})); }

void Scenario::FailWorkNumber(uint32_t n) {
  Fail(GameSentence(GameText("範囲外のワーク変数指定 (%s)"), {Number(n)}));
}

void Scenario::Quit() {
  host_.Quit();
  throw QuitSignal{};
}

void Scenario::Fail(const std::string& sjis_message) {
  // The game ends once the player has read why.
  services_.dialogs.ShowMessageBox(sjis_message, platform::MessageKind::Error,
                                   platform::Buttons::Ok, [this](platform::Answer) { Quit(); });
  throw AwaitingAnswer{};
}

}  // namespace velmor::scenario
