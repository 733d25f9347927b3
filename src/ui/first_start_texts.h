// The first start's words, in the player's language (core/texts.h).
#pragma once


namespace velmor::ui {

struct FirstStartTexts {
  const char* title;
  const char* welcome;       // at a first start: no data folder is set
  const char* failed;        // above the reason the game could not start
  const char* choose;        // button: to the folder browser
  const char* demo;          // button: play the bundled demo
  const char* no_demo;       // beside the disabled demo button
  const char* quit;          // button
  const char* browse_help;   // above the browser
  const char* up;            // button: the parent folder
  const char* home;          // button: the home folder
  const char* go;            // button: to the folder typed
  const char* holds_game;    // the folder looked at holds the game
  const char* no_game;       // it does not
  const char* missing;       // there is no such folder
  const char* use;           // button: take this folder
  const char* back;          // button: back to the offer
  const char* remembered;    // below: the choice is kept for the player
};

// The first start's texts in the player's language (the pointers live as
// long as the catalogue does).
FirstStartTexts FirstStartTextsNow();

}  // namespace velmor::ui
