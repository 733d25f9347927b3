#include "ui/first_start_texts.h"

#include "core/texts.h"

namespace velmor::ui {

namespace {

// In English; the catalogue has them in the player's language.
constexpr FirstStartTexts kEnglish{
    "Velmor",
    TrMark("No game data folder is set yet.\n"
            "Choose the folder that holds the game's data (the one with the CG, SNX and SOUND\n"
            "folders), or play the demo game that comes with Velmor."),
    TrMark("The game could not start:"),
    TrMark("Choose the game's data folder..."),
    TrMark("Play the demo"),
    TrMark("(the demo is not installed)"),
    TrMark("Quit"),
    TrMark("Open the folder that holds the SNX folder, then choose \"Use this folder\"."),
    TrMark("Up"),
    TrMark("Home"),
    TrMark("Go"),
    TrMark("This folder holds the game's data."),
    TrMark("No game here: this folder has no SNX/INIT.SNX."),
    TrMark("There is no such folder."),
    TrMark("Use this folder"),
    TrMark("Back"),
    TrMark("The folder is remembered for you in %s; --data DIR starts with another."),
};

}  // namespace

FirstStartTexts FirstStartTextsNow() {
  FirstStartTexts t = kEnglish;
  for (const char** text : {&t.title, &t.welcome, &t.failed, &t.choose, &t.demo, &t.no_demo,
                            &t.quit, &t.browse_help, &t.up, &t.home, &t.go, &t.holds_game,
                            &t.no_game, &t.missing, &t.use, &t.back, &t.remembered})
    *text = Tr(*text);
  return t;
}

}  // namespace velmor::ui
