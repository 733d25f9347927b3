// The page's own lines in the player's language. They are written in
// English in the page's scripts and marked tr('...') (fill() puts values
// into one, as "%s" or "%2$s"); scripts/update-po extracts them into
// po/velmor.pot with the game's texts, and their Japanese is po/ja.po's.
// When the page is built, scripts/page-texts puts the Japanese of these
// texts alone (a few kilobytes) into the table below, so that the lines
// said before the game has started are in the player's language too.
//
// The language: the game's, once it runs (the reader's setting, else the
// browser's); before that the browser's.
'use strict';

window.velmorTexts = (() => {
  const japanese = /* page-texts */ {};
  const browser = /^ja(\b|[-_])/i.test(navigator.language || '') ? 'ja' : 'en';
  const api = {
    ask: null,  // the running game's language ('ja' or 'en'), when there is one
    language() {
      try {
        const asked = api.ask && api.ask();
        if (asked === 'ja' || asked === 'en') return asked;
      } catch (e) { /* the game has gone: the browser's */ }
      return browser;
    },
    tr(source) {
      return (api.language() === 'ja' && japanese[source]) || source;
    },
    // "%s" takes the next value, "%2$s" the second, "%%" is a "%".
    fill(format, ...values) {
      let next = 0;
      return format.replace(/%(%|s|([1-9])\$s)/g, (all, what, n) => {
        if (what === '%') return '%';
        const i = n ? Number(n) - 1 : next++;
        return i < values.length ? String(values[i]) : all;
      });
    },
  };
  return api;
})();
