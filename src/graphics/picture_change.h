// Picture changes: the old picture dissolves to black (or white) through a
// 4 x 4 ordered mesh, the screen is prepared for the new one (framed beside
// the status strip, or full-screen), and the new picture dissolves in.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/byte_string.h"
#include "core/input_state.h"
#include "graphics/layers.h"
#include "scenario/scenario.h"

namespace velmor::text {
class StatusDisplay;
}

namespace velmor::graphics {

// The 16 cells of a 4 x 4 block in the order of the ordered-dither thresholds.
constexpr std::array<uint8_t, 16> MeshDX = {0, 2, 2, 0, 1, 3, 3, 1, 1, 3, 3, 1, 0, 2, 2, 0};
constexpr std::array<uint8_t, 16> MeshDY = {0, 2, 0, 2, 1, 3, 1, 3, 0, 2, 0, 2, 1, 3, 1, 3};
constexpr uint8_t WipeStep = 20;       // units a tick
constexpr uint8_t WipeStepFast = 136;  // with Ctrl alone held

class PictureChange {
 public:
  PictureChange(Layers& layers, scenario::Scenario& scn, InputState& input,
                text::StatusDisplay& status)
      : layers_(layers), scn_(scn), input_(input), status_(status) {}

  uint8_t MeshPass = 0;
  uint8_t MeshAcc = 0;
  uint8_t WhiteFill = 0;  // 0: through black; otherwise through white

  // Op 40: the first call; later calls are the dissolve-out.
  void ChangePicture(const ByteString& name);
  void ChangePicture();
  void PrepareScreen();
  void DissolveIn();

  // Whether a picture name asks for the frame: it begins with "_CG", letters
  // compared without regard to case.
  static bool IsFramed(const Sstr& name);

 private:
  void Advance(Rop rop);
  void MeshPassOnto(int pass, Rop rop);
  // Notes the rows this tick's passes drew as drawn into the back buffer.
  void NotePassedRows();
  // Which rows of the mesh have a hole (a pixel not white) within `from`:
  // found once for a mesh, not at every pass of every dissolve.
  const std::vector<bool>& MeshRowsWithHoles(const Bitmap& mesh, const Rect& from);

  Layers& layers_;
  // The rows of the back buffer this tick's passes changed, each as far
  // as it was drawn.
  std::vector<Rect> passed_rows_;
  // The mesh the rows with holes were found for, kept (its pixels shared)
  // so that a mesh drawn into or loaded anew has other pixels.
  Bitmap holes_of_;
  Rect holes_within_;
  std::vector<bool> rows_with_holes_;
  scenario::Scenario& scn_;
  InputState& input_;
  text::StatusDisplay& status_;
};

}  // namespace velmor::graphics
