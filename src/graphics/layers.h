// The screen bitmaps and the rules for drawing into them.
//
// Lasting drawing (picture, frame, status strip, message window) goes into the
// back buffer BMP and is then published to the screen image IMG, whole or by
// rectangle. Short-lived overlays (the pointer, an animation frame, the held
// picture) go into IMG only and are removed by copying back from BMP. TMP is
// the current picture as loaded and is never drawn upon; CLS is the scratch
// bitmap that holds the mesh whenever nobody borrows it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_string.h"
#include "core/geometry.h"
#include "graphics/bitmap.h"
#include "platform/font.h"

namespace velmor::platform {
class Files;
class Window;
}  // namespace velmor::platform

namespace velmor::graphics {

// Picture folders under the data folder.
constexpr std::string_view BMPDIR = "CG\\";
constexpr std::string_view CSRDIR = "CURSOR\\";

// Pictures decoded before, by their files' bytes, for a loader to take
// again instead of decoding them: the mesh and the frame at every picture
// change, a picture shown again, a game reset in place many times (the fuzz
// targets). The pixels are shared until written. Holds at most
// `most_pictures` pictures and `most_bytes` of their files and pixels in
// all; past them, the one used longest ago goes.
class DecodedPictures {
 public:
  static constexpr std::size_t kKept = 64;
  static constexpr std::size_t kMaxBytes = 64 << 20;
  explicit DecodedPictures(std::size_t most_pictures = kKept, std::size_t most_bytes = kMaxBytes)
      : most_pictures_(most_pictures), most_bytes_(most_bytes) {}
  // The picture of these bytes, when kept.
  const Bitmap* Find(const std::vector<uint8_t>& bytes);
  void Keep(const std::vector<uint8_t>& bytes, const Bitmap& picture);

 private:
  struct Kept {
    Bitmap picture;
    uint64_t used = 0;  // when it was last found or kept
  };
  static std::size_t BytesOf(const std::vector<uint8_t>& bytes, const Bitmap& picture);
  void DropOldest();

  std::size_t most_pictures_;
  std::size_t most_bytes_;
  std::map<std::vector<uint8_t>, Kept> pictures_;
  std::size_t bytes_ = 0;
  uint64_t clock_ = 0;
};

// Loads BMP files from the data folder into bitmaps.
class BitmapLoader {
 public:
  // `dat_path`: the data folder as the system names it, ending in "/".
  BitmapLoader(platform::Files& files, const std::string& dat_path)
      : files_(files), dat_path_(dat_path) {}

  // Loads DatPath + folder + file into `into` (size, pixels and palette).
  // Throws GameError naming the file when it cannot be read or decoded;
  // `into` is then unchanged.
  void Load(Bitmap& into, std::string_view folder, const ByteString& file);
  // The same, returning false instead of throwing.
  bool TryLoad(Bitmap& into, std::string_view folder, const ByteString& file);

  // Told of each picture that could not be loaded, for the --warn report:
  // "picture CG/BG09.BMP is missing" (UTF-8); none by default.
  std::function<void(const std::string& text)> OnFailure;
  // Pictures decoded before are taken from `cache`, and new ones kept
  // there; it must outlive the loader. By default the loader keeps the few
  // pictures it decoded last (kRecentPictures, kRecentBytes).
  void UseCache(DecodedPictures* cache) { cache_ = cache; }
  static constexpr std::size_t kRecentPictures = 16;
  static constexpr std::size_t kRecentBytes = 8 << 20;

 private:
  // Tells OnFailure `sentence` (in the player's language) with the file's
  // name and `why` for its "%s".
  void Tell(std::string_view folder, const ByteString& file, const char* sentence,
            std::string_view why = {});

  platform::Files& files_;
  const std::string& dat_path_;
  DecodedPictures recent_{kRecentPictures, kRecentBytes};
  DecodedPictures* cache_ = &recent_;
};

class Layers {
 public:
  Layers(BitmapLoader& loader, platform::Window& window) : loader_(loader), window_(window) {}

  Bitmap IMG;  // the screen image: the scene plus the transient overlays
  Bitmap BMP;  // the back buffer: the lasting scene
  Bitmap TMP;  // the current picture as loaded
  Bitmap CLS;  // scratch: the mesh, briefly a frame or the wallpaper
  Bitmap SP0;  // pointer sprite
  Bitmap MS0;  // pointer mask
  Bitmap SP1;  // the click-wait mark, two 24 x 24 frames

  // The text font of the back buffer's canvas: height and colour, changed by
  // message codes and the status strip.
  platform::TextStyle font{-16, kBlack};

  // The current picture: its name (no folder, no extension) and where it
  // stands in the scene.
  Sstr PictureName;
  Rect PictureRect{0, 0, 640, 480};

  // The whole back buffer onto the screen image: every pixel is compared
  // (a repaint, a new picture, the status strip), whatever was noted.
  void ShowBackBuffer();
  // Rectangle r of the back buffer onto the same place of the screen image.
  // Only what was noted as drawn since (BackDrawn, ImageDrawn) is compared:
  // a typed glyph published with its whole message window costs its cell.
  void Publish(const Rect& r);
  // Drawing into the back buffer says where, or Publish will not see it.
  // What lies outside the bitmap was not drawn, and is not noted: no
  // publish would ever take it, and it would hold a place in the list for
  // good.
  void BackDrawn(const Rect& r) { stale_.Add(Intersect(r, BMP.bounds())); }
  // Anything else drawn into the screen image (the pointer, an animation
  // frame, the held picture) says where: publishing puts the back buffer
  // back there, and the window looks for changes only where the screen
  // image was drawn into since the last presentation.
  void ImageDrawn(const Rect& r) {
    const Rect drawn = Intersect(r, IMG.bounds());
    stale_.Add(drawn);
    image_changed_.Add(drawn);
  }
  // Set, every Publish also compares all of its rectangle and throws
  // std::logic_error when a pixel was left behind: a drawing into the back
  // buffer that was not noted (the tests' rigs set it).
  bool check_publish = false;
  // The drawn pointer (SP0 through its mask MS0) into the screen image at
  // `at` for the next presentation; its rectangle. The same pointer where
  // the window shows it already, over pixels unchanged since, is neither
  // drawn nor compared again: the window keeps showing it.
  Rect CompositePointer(Point at);
  // After the presentation: the back buffer put back under the pointer
  // (rectangle r, as CompositePointer gave it).
  void TakePointerOff(const Rect& r);
  // The screen image stretched into the display rectangle of the window.
  void Present(const Rect& display);
  // "WALL00.BMP" tiled over the whole window from its top-left corner. A
  // wallpaper that cannot be loaded throws once (GameError) and is not
  // asked for again.
  void DrawWallpaper();

  BitmapLoader& loader() { return loader_; }
  // Rows of the back buffer compared with the screen image so far: what
  // publishing costs.
  uint64_t RowsCompared() const { return rows_compared_; }

 private:
  BitmapLoader& loader_;
  platform::Window& window_;
  bool wallpaper_failed_ = false;
  uint64_t rows_compared_ = 0;
  // Copies what differs within `area` (inside both bitmaps) from the back
  // buffer to the screen image and notes it for the window.
  void CopyDiffering(const Rect& area);
  void CheckPublished(const Rect& area) const;
  // Where the screen image may differ from the back buffer (all of it at
  // first).
  ChangedRects stale_{Rect{0, 0, 1 << 16, 1 << 16}};
  // Where IMG was drawn into since the last presentation (all of it at
  // first).
  ChangedRects image_changed_{Rect{0, 0, 1 << 16, 1 << 16}};

  // The drawn pointer. Once presented over pixels of the back buffer it is
  // taken off the screen image but left on the window (`shown`), which is
  // told to show the screen image there again only when a presentation
  // goes without it. While it stands still over the same pixels, the
  // presentations keep it (`kept`) and nothing under it is compared.
  struct DrawnPointer {
    Rect at;                // where it stands (its whole sprite)
    Rect drawn;             // drawn into the screen image for this presentation
    bool over_back = false; // ... over pixels that were the back buffer's
    Rect shown;             // on the window, not in the screen image
    bool kept = false;      // this presentation keeps `shown`
    Bitmap sprite, mask;    // as drawn (shared with SP0 and MS0 until they change)
  };
  DrawnPointer pointer_;
  bool PointerStillShown(const Rect& r) const;
  void DrawPointer(const Rect& r);
  // The window shows the screen image again where it showed the pointer.
  void ForgetShownPointer();
};

}  // namespace velmor::graphics
