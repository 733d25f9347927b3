// The game's state as JSON: what every front end must agree on tick for
// tick (the headless front end writes it for scripts and tests; the
// browser's test mode hands it to the page). Its "frame" is the digest of
// the screen image the window shows.
#pragma once

#include <string>
#include <vector>

#include "app/form.h"
#include "main/headless/scripted_answers.h"
#include "platform/headless/headless_media_player.h"

namespace velmor::main {

// `media` (the device-less player, when the front end plays through one)
// and `boxes` (the message boxes, when a script answered them) are left out
// when null.
std::string GameStateJson(const app::TForm1::View& f, const platform::HeadlessMediaPlayer* media,
                          const std::vector<RecordedBox>* boxes);

}  // namespace velmor::main
