// Writes the seeds the scenario and slot fuzz campaigns start from: every
// instruction on its own and all of them in a row; scenarios of every size
// up to the 64 KiB image, cut anywhere; every instruction placed at the
// image's end so that its operands run round to its start, and each long
// one (a text, choices, an expression) with the end in its middle; slots of every
// length up to and past a slot's, and a slot's every field at its extremes.
//
// Usage: fuzz_seeds FOLDER   (writes FOLDER/scenario, FOLDER/slot and
// FOLDER/program, the scenarios of 4 KiB and less)
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "language/language.h"
#include "language/opcodes.h"

namespace {

namespace fs = std::filesystem;
using velmor::language::OpcodeRow;
using velmor::language::OpFlag;
using velmor::language::Operand;
using Bytes = std::vector<uint8_t>;

constexpr std::size_t kImage = velmor::language::kMaxScenarioSize;
constexpr std::size_t kSlot = 1088;

void Word(Bytes& b, uint16_t w) {
  b.push_back(static_cast<uint8_t>(w & 0xFF));
  b.push_back(static_cast<uint8_t>(w >> 8));
}

void Text(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
  b.push_back(0);
}

// A name the start-up files have, of the kind the instruction reads.
std::string NameFor(const OpcodeRow& row) {
  if (row.Has(OpFlag::PlaysMusic)) return "QV00";
  if (row.Has(OpFlag::ShowsPicture) || row.Has(OpFlag::StartsHitMap)) return "KURO";
  if (row.Has(OpFlag::GoesToFile) || row.Has(OpFlag::CallsFile)) return "SUB";
  return "\x82\xA0\x10\x03\x02" "AB\x05";  // a full-width letter, a name, a colour, page codes
}

// One operand of its kind; `addr` is where jumps go.
void Put(Bytes& b, Operand kind, const OpcodeRow& row, uint16_t addr) {
  namespace e = velmor::language::expr_code;
  switch (kind) {
    case Operand::Var: Word(b, 1); break;
    case Operand::Flag: Word(b, 2); break;
    case Operand::Word: Word(b, 3); break;
    case Operand::Addr: Word(b, addr); break;
    case Operand::Byte: b.push_back(1); break;
    case Operand::Expr:
      b.insert(b.end(), {e::kPushWork, 1, 0, e::kPushWord, 7, 0, e::kAdd, e::kPushFlag, 2, 0,
                         e::kMul, e::kEnd});
      break;
    case Operand::Str: Text(b, NameFor(row)); break;
    case Operand::Message:
      b.push_back(1);
      Text(b, NameFor(row));
      break;
    case Operand::Choices:
      Text(b, "YES");
      Text(b, "NO");
      b.push_back(0);
      break;
    case Operand::StatusVars:
      for (uint16_t i = 0; i < velmor::language::kStatusSlots; ++i) Word(b, i);
      break;
    case Operand::Speaker: break;
  }
}

Bytes Instruction(const OpcodeRow& row, uint16_t addr = 0) {
  Bytes b{row.code};
  for (Operand kind : row.layout) Put(b, kind, row, addr);
  return b;
}

std::vector<const OpcodeRow*> Rows() {
  std::vector<const OpcodeRow*> rows;
  for (const OpcodeRow& row : velmor::language::kOpcodeTable)
    if (row.listed()) rows.push_back(&row);
  return rows;
}

void Write(const fs::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// Every instruction in a row, a click between them; those that end the path
// come last.
Bytes AllInARow() {
  Bytes all, enders;
  for (const OpcodeRow* row : Rows()) {
    Bytes& to = row->Has(OpFlag::EndsPath) ? enders : all;
    const Bytes one = Instruction(*row);
    to.insert(to.end(), one.begin(), one.end());
    if (!row->Has(OpFlag::EndsPath)) to.push_back(22);  // CLICK
  }
  all.insert(all.end(), enders.begin(), enders.end());
  return all;
}

// A whole image with `instruction` starting `before_end` bytes before the
// image's end and running round to its start, where its first three bytes
// are made a jump to the instruction (so that running the image starts
// there); END (255) everywhere else.
Bytes WrappedRound(const Bytes& instruction, std::size_t before_end) {
  Bytes wrap(kImage, 255);
  const std::size_t at = kImage - before_end;
  for (std::size_t i = 0; i < instruction.size(); ++i) wrap[(at + i) % kImage] = instruction[i];
  wrap[0] = 16;  // JUMP at
  wrap[1] = static_cast<uint8_t>(at & 0xFF);
  wrap[2] = static_cast<uint8_t>(at >> 8);
  return wrap;
}

void ScenarioSeeds(const fs::path& dir) {
  for (const OpcodeRow* row : Rows()) {
    char name[48];
    std::snprintf(name, sizeof name, "op_%03u_%s.snx", row->code, row->mnemonic);
    Bytes one = Instruction(*row);
    one.push_back(22);
    one.push_back(255);
    Write(dir / name, one);
    // At the image's end: the opcode in its next to last byte, the operands
    // running round to its start.
    const Bytes at_end = Instruction(*row, 0);
    std::snprintf(name, sizeof name, "wrap_%03u_%s.snx", row->code, row->mnemonic);
    Write(dir / name, WrappedRound(at_end, 2));
    // A longer one (a text, a list of choices, an expression) with half its
    // bytes before the end and half after: the image's end in the middle
    // of its operand.
    if (at_end.size() >= 8) {
      std::snprintf(name, sizeof name, "wrapmid_%03u_%s.snx", row->code, row->mnemonic);
      Write(dir / name, WrappedRound(at_end, at_end.size() / 2));
    }
  }
  const Bytes all = AllInARow();
  Write(dir / "all_in_a_row.snx", all);
  // Every size from a byte to the whole image: the row again and again, cut
  // where the size falls: each power of two, a byte either side, and half
  // way to the next.
  for (std::size_t size = 1; size <= kImage; size *= 2) {
    for (std::size_t s : {size - 1, size, size + 1, size + size / 2}) {
      if (s == 0 || s > kImage) continue;
      Bytes cut(s);
      for (std::size_t i = 0; i < s; ++i) cut[i] = all[i % all.size()];
      Write(dir / ("size_" + std::to_string(s) + ".snx"), cut);
    }
  }
}

void SlotSeeds(const fs::path& dir) {
  // Lengths around a slot's, filled with a counting pattern.
  for (std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{4}, std::size_t{63},
                           std::size_t{64}, std::size_t{65}, kSlot / 2, kSlot - 1, kSlot,
                           kSlot + 1, 2 * kSlot, std::size_t{4096}}) {
    Bytes slot(size);
    for (std::size_t i = 0; i < size; ++i) slot[i] = static_cast<uint8_t>(i * 7 + 1);
    Write(dir / ("length_" + std::to_string(size) + ".bin"), slot);
  }
  // A slot of one byte value throughout: every field at 0, at its most, at
  // the sign's edge.
  for (uint8_t fill : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0x80}, uint8_t{0xFF}}) {
    char name[32];
    std::snprintf(name, sizeof name, "all_%02X.bin", fill);
    Write(dir / name, Bytes(kSlot, fill));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  try {
    const fs::path root = argv[1];
    for (const char* target : {"scenario", "slot", "program"}) {
      fs::remove_all(root / target);
      fs::create_directories(root / target);
    }
    ScenarioSeeds(root / "scenario");
    SlotSeeds(root / "slot");
    // The disassembler's and the checker's: the scenarios of 4 KiB and less
    // (a whole image of them takes a second under the sanitizers, a slow
    // start for a target of thousands of inputs a second).
    for (const auto& entry : fs::directory_iterator(root / "scenario"))
      if (fs::file_size(entry.path()) <= 4096)
        fs::copy_file(entry.path(), root / "program" / entry.path().filename());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
