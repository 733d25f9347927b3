// The game's parts as the tests reach them: a test sets up states a player
// reaches only slowly (a picture in the back buffer, a button held) and
// drives a subsystem directly. Nothing outside the tests does this; the
// program goes through the game's events and its read-only view.
#pragma once

#include "app/form.h"

namespace velmor::testing {

struct FormInternals {
  explicit FormInternals(app::TForm1& f)
      : form(f), platform(f.platform), options(f.options), invalid(f.invalid),
        dialogs(f.dialogs), errors(f.errors), ExePath(f.ExePath), DatPath(f.DatPath),
        SlotPath(f.SlotPath), input(f.input), panels(f.panels_), loader(f.loader),
        layers(f.layers), scaling(f.scaling), scn(f.scn), msgwin(f.msgwin), status(f.status),
        choices(f.choices), picture(f.picture), cursors(f.cursors), hitmap(f.hitmap),
        animation(f.animation), music(f.music), defmcr(f.defmcr), names(f.names),
        saves(f.saves), config(f.config), reader(f.reader), backlog(f.backlog),
        backlog_window(f.backlog_window), warnings(f.warnings), debugger(f.debugger_),
        ticks(f.ticks_), started(f.started_), quit(f.quit_),
        startup_failure(f.startup_failure_) {}
  // The game itself, for its events.
  app::TForm1& form;
  app::Platform& platform;
  app::StartOptions& options;
  bool& invalid;
  app::GameDialogs& dialogs;
  menus::ErrorReport& errors;
  std::string& ExePath;
  std::string& DatPath;
  std::string& SlotPath;
  InputState& input;
  menus::Panels& panels;
  graphics::BitmapLoader& loader;
  graphics::Layers& layers;
  graphics::DisplayScaling& scaling;
  scenario::Scenario& scn;
  text::MessageWindow& msgwin;
  text::StatusDisplay& status;
  text::Choices& choices;
  graphics::PictureChange& picture;
  graphics::Cursors& cursors;
  graphics::HitMap& hitmap;
  graphics::Animation& animation;
  sound::Music& music;
  std::array<Sstr, 4>& defmcr;
  menus::NamePanelLogic& names;
  menus::SavePanelLogic& saves;
  menus::ConfigPanelLogic& config;
  app::ReaderModes& reader;
  text::Backlog& backlog;
  app::BacklogWindow& backlog_window;
  std::unique_ptr<app::RunWarnings>& warnings;
  std::unique_ptr<app::Debugger>& debugger;
  uint64_t& ticks;
  bool& started;
  bool& quit;
  std::string& startup_failure;
};

}  // namespace velmor::testing
