// What a format reader gives: the value it read, or the fault that kept it
// from reading one. A reader works on bytes and does not know where they
// came from; the caller that does names the file (Named), so a message can
// say both which file and what is wrong with it.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace velmor::formats {

struct FormatFault {
  std::string file;  // the file's name as the caller knows it; empty if unnamed
  std::string what;  // the reason: "damaged MIDI file: no tracks"

  // "FILE: what", or only what for an unnamed file.
  std::string Text() const { return file.empty() ? what : file + ": " + what; }
};

template <typename T>
class [[nodiscard]] FormatResult {
 public:
  FormatResult(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  FormatResult(FormatFault fault) : v_(std::in_place_index<1>, std::move(fault)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& operator*() & { return std::get<0>(v_); }
  const T& operator*() const& { return std::get<0>(v_); }
  T&& operator*() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &std::get<0>(v_); }
  const T* operator->() const { return &std::get<0>(v_); }

  // Only for a result that is not ok().
  const FormatFault& fault() const { return std::get<1>(v_); }

  // The same result with the file named in its fault.
  FormatResult Named(std::string file) && {
    if (!ok()) std::get<1>(v_).file = std::move(file);
    return std::move(*this);
  }

 private:
  std::variant<T, FormatFault> v_;
};

// A fault for a reader's return statement: `return Fault("not a BMP file");`.
inline FormatFault Fault(std::string what) { return FormatFault{{}, std::move(what)}; }

}  // namespace velmor::formats
