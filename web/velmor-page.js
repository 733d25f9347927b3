// The page around the game: it gives the game its files (the demo, the
// font, the player's own game folder), keeps the player's storage (slots,
// settings, read text) in the browser's IndexedDB, sizes the canvas to the
// page, and says in one line what the game needs from the player. Nothing is
// uploaded anywhere: every file is read in the page.
//
// index.html?test: the game stands still until a test steps it (see
// tests/web/drive.mjs); its storage is the page's memory only; its canvas
// is 1024x768 at the page's corner, or with ?test&page where the page puts
// it for a player.
'use strict';

(() => {
  const params = new URLSearchParams(location.search);
  const testMode = params.has('test');
  const HOME = '/velmor/home';
  const OWN = '/velmor/own';
  const line = document.getElementById('line');
  let canvas = document.getElementById('canvas');
  let game = null;         // the running module
  let syncing = false;     // a write to IndexedDB under way
  let syncAgain = false;
  let storeRefused = false; // the last copy to IndexedDB was refused
  let failed = false;      // the line says why the game could not start

  const { tr, fill } = window.velmorTexts;
  function say(text) { line.textContent = text; }

  // The page's own words in the browser's language (index.html has both,
  // for a browser that runs no script).
  function labelPage() {
    const label = (id, text, title) => {
      const e = document.getElementById(id);
      e.textContent = text;
      if (title) e.title = title;
    };
    document.documentElement.lang = window.velmorTexts.language();
    label('line', tr('Loading…'));
    label('own', tr('Your game folder…'), tr('Play the game from your own copy of its files: choose its folder (or its files, or a .zip of it), or drop it on the page'));
    label('export', tr('Export saves'), tr('Download the save slots as DATA00…DATAFF files'));
    label('import', tr('Import saves'), tr('Bring DATA00…DATAFF files in as save slots'));
    label('full', tr('Full screen'));
    document.getElementById('ime').setAttribute('aria-label', tr('Name'));
  }

  // --- The canvas: the largest 4:3 the page leaves it --------------------
  // At the game's own picture size the canvas keeps 1024x768 pixels of its
  // own and the page scales it (nearest neighbour). When the reader fits the
  // picture to the screen, the canvas's own pixels are the screen's: whole
  // steps of 4 by 3 device pixels, the most the stage holds, so that the
  // game's sharp scaling draws straight into them and nothing scales its
  // picture again. Past kLongestSide pixels (an 8K screen) the canvas stays
  // at that and the browser scales the last step, smoothly.
  // index.html?test keeps the canvas at 1024x768 pixels of the page; with
  // ?test&page the page lays it out as it does for a player.
  const fixedSize = testMode && !params.has('page');
  const kLongestSide = 4096;
  const kSizeDelayMs = 150;  // a window being dragged larger sizes the canvas once
  let pictureFits = false;   // the reader's "fit the screen"
  let sizeTimer = 0;

  // The canvas's own pixels and its size in the page (CSS pixels).
  function canvasLayout() {
    const stage = document.getElementById('stage');
    if (!pictureFits) {
      const scale = Math.min(stage.clientWidth / 1024, stage.clientHeight / 768);
      return { width: 1024, height: 768, cssWidth: Math.floor(1024 * scale),
        cssHeight: Math.floor(768 * scale) };
    }
    const ratio = window.devicePixelRatio || 1;
    const step = Math.max(1, Math.min(Math.floor(stage.clientWidth * ratio / 4),
      Math.floor(stage.clientHeight * ratio / 3)));
    const kept = Math.min(step, kLongestSide / 4);
    return { width: 4 * kept, height: 3 * kept, cssWidth: 4 * step / ratio,
      cssHeight: 3 * step / ratio };
  }

  // The canvas's place in the page at once; its own pixels now (`M`, the
  // game that draws into it) or, while the window is being resized, a
  // moment after the last change.
  function fit(M) {
    if (fixedSize) return;
    const at = canvasLayout();
    canvas.style.width = at.cssWidth + 'px';
    canvas.style.height = at.cssHeight + 'px';
    canvas.classList.toggle('fitted', pictureFits);
    clearTimeout(sizeTimer);
    if (M) sizeCanvas(M, at);
    else sizeTimer = setTimeout(() => sizeCanvas(game, canvasLayout()), kSizeDelayMs);
  }
  window.addEventListener('resize', () => fit());
  // A window moved to a screen of another pixel ratio may hear no resize.
  function watchRatio() {
    matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`)
      .addEventListener('change', () => { fit(); watchRatio(); }, { once: true });
  }
  watchRatio();

  // The game's window takes the canvas's new size (SDL sizes the canvas and
  // tells the game, which fits its picture again in its next pass).
  function sizeCanvas(M, at) {
    if (!M || (canvas.width === at.width && canvas.height === at.height)) return;
    M._velmor_canvas_size(at.width, at.height);
    if (M.soon) M.soon();
  }

  // The game tells the reader's picture size at its start and whenever the
  // reader changes it.
  function pictureSize(M, fits) {
    pictureFits = !!fits;
    fit(M);
  }

  // --- The player's storage ---------------------------------------------
  // IDBFS keeps each file as one IndexedDB record written in one
  // transaction: a tab closed while it writes leaves the old slot or the new
  // one, never half of one. The game writes its slots whole (a temporary
  // file renamed), and the page copies what changed after each second.
  function mkdirs(FS, path) {
    let at = '';
    for (const part of path.split('/').filter(Boolean)) {
      at += '/' + part;
      try { FS.mkdir(at); } catch (e) { /* there already */ }
    }
  }

  // A copy the browser aborts for want of room never reports back (the
  // storage's abort is not an error to emscripten's IDBFS, which waits on):
  // Mended: a copy not done within this time counts as refused, so that
  // the copies go on being tried instead of stopping for the session.
  const kStoreTimeoutMs = 5000;
  let storeGeneration = 0;

  function stored(M, err) {
    syncing = false;
    // What could not be stored stays in the game's memory and is tried
    // again every second (and can be exported meanwhile). IndexedDB writes
    // the copy in one transaction: refused, it leaves the old files whole.
    if (err) {
      storeRefused = true;
      say(fill(tr('Cannot store saves: the browser refused its storage (%s); they are kept in this tab and tried again every second; export them to be safe.'), err));
    } else if (storeRefused) {
      storeRefused = false;
      say(tr('Saves stored again.'));
    }
    if (syncAgain) { syncAgain = false; persist(M, true); }
  }

  // What the home folder holds (names, sizes, times): the copy to IndexedDB
  // runs only when it changed (or the last one was refused).
  let storedSignature = '';
  function homeSignature(M) {
    const parts = [];
    const walk = (dir) => {
      for (const name of M.FS.readdir(dir)) {
        if (name === '.' || name === '..') continue;
        const path = dir + '/' + name;
        const st = M.FS.stat(path);
        if (M.FS.isDir(st.mode)) walk(path);
        else parts.push(path + ':' + st.size + ':' + st.mtime.getTime());
      }
    };
    try { walk(HOME); } catch (e) { return String(Math.random()); }
    return parts.join('|');
  }

  function persist(M, always = false) {
    if (testMode || !M) return;
    if (syncing) { syncAgain = true; return; }
    const signature = homeSignature(M);
    if (!always && !storeRefused && signature === storedSignature) return;
    syncing = true;
    const generation = ++storeGeneration;
    const finish = (err) => {
      if (generation !== storeGeneration) return;  // already counted as refused
      ++storeGeneration;
      clearTimeout(watchdog);
      if (!err) storedSignature = signature;
      stored(M, err);
    };
    const watchdog = setTimeout(() => finish('no answer: its quota may be full'), kStoreTimeoutMs);
    M.FS.syncfs(false, finish);
  }

  function mountStorage(M) {
    mkdirs(M.FS, HOME);
    if (testMode) return;
    M.FS.mount(M.FS.filesystems.IDBFS, {}, HOME);
    M.addRunDependency('storage');
    M.FS.syncfs(true, (err) => {
      if (err) say(fill(tr('The saved data cannot be read (%s).'), err));
      mkdirs(M.FS, HOME + '/saves');
      M.removeRunDependency('storage');
    });
  }

  // --- The player's own game folder -------------------------------------
  // The files come as web/velmor-files.js gathered them, with their paths in
  // the game's folder; names keep the letter case they came with (the game
  // finds its files whatever their case).
  async function writeOwnFiles(M, own) {
    for (const e of own.entries) {
      const path = OWN + '/' + e.path;
      mkdirs(M.FS, path.substring(0, path.lastIndexOf('/')));
      M.FS.writeFile(path, await e.read());
    }
  }

  // --- Starting a game --------------------------------------------------
  function freshCanvas() {
    const old = canvas;
    canvas = old.cloneNode(false);
    canvas.oncontextmenu = (e) => e.preventDefault();
    old.replaceWith(canvas);
    fit();
  }

  function start(ownFiles) {
    const args = testMode ? ['--test'] : [];
    if (ownFiles) args.push('--data', OWN);
    const cfg = {
      canvas,
      arguments: args,
      preRun: [() => {
        mountStorage(cfg);
        if (ownFiles) {
          cfg.addRunDependency('own-files');
          writeOwnFiles(cfg, ownFiles).then(() => cfg.removeRunDependency('own-files'),
            (e) => { failed = true; say(fill(tr('The folder cannot be read: %s'), e.message || e)); });
        }
      }],
      print: (t) => console.log(t),
      printErr: (t) => { console.warn(t); if (!failed && t.startsWith('velmor: ')) say(t.substring(8)); },
      onFailure: (why) => { failed = true; say(why); window.velmorFailed = why; },
      onTextInput: placeText,
      onPictureSize: (fits) => pictureSize(cfg, fits),
      onGameStarted: () => {
        say(testMode ? 'test' : tr('Click or press a key to start the sound.'));
        window.velmorReady = true;
        // When the first frame is on the screen (for bench/web_budgets.mjs).
        requestAnimationFrame(() => {
          window.velmorFirstFrameMs = performance.now();
          // MIDI's synthesiser and SoundFont come after the first picture.
          if (!testMode && window.velmorMidi) velmorMidi.allow();
        });
      },
      onGameEnded: () => {
        persist(cfg);
        if (!failed) say(tr('The game has ended.'));
      },
    };
    return createVelmor(cfg).then((M) => {
      game = M;
      // From now on the page's lines follow the game's language (the
      // reader's setting may choose another than the browser's).
      window.velmorTexts.ask = () => M.ccall('velmor_language', 'string', [], []);
      window.velmor = testApi(M);
      if (!testMode) runLoop(M);
      return M;
    });
  }

  // The game's loop: a pass as late as the game allows (at a click wait its
  // ticks rest), at once after anything the player does, none while the
  // tab is hidden. The pass after an event runs after SDL has queued it.
  function runLoop(M) {
    let timer = 0;
    let stopped = false;
    const pass = () => {
      clearTimeout(timer);
      timer = 0;
      if (stopped || document.hidden || M !== game) return;
      const wait = M._velmor_pass();
      if (wait < 0) { stopped = true; return; }
      timer = setTimeout(pass, wait);
    };
    const soon = () => { if (!stopped) { clearTimeout(timer); timer = setTimeout(pass, 0); } };
    M.soon = soon;
    for (const type of ['pointerdown', 'pointerup', 'pointermove', 'keydown', 'keyup', 'wheel',
                        'touchstart', 'touchend', 'touchmove', 'compositionend', 'resize']) {
      window.addEventListener(type, soon, { passive: true });
    }
    document.addEventListener('visibilitychange', soon);
    pass();
  }

  // What a test calls (tests/web/drive.mjs).
  function testApi(M) {
    return {
      tick: M.cwrap('velmor_tick', null, ['number']),
      frame: M.cwrap('velmor_frame', null, []),
      until: M.cwrap('velmor_until', null, ['string', 'number']),
      state: M.cwrap('velmor_state', 'string', []),
      controlRect: M.cwrap('velmor_control_rect', 'string', ['string']),
      reader: M.cwrap('velmor_reader', null, ['string', 'string']),
      openBoxes: M.cwrap('velmor_open_boxes', 'number', []),
      ticks: M.cwrap('velmor_ticks', 'number', []),
      ended: M.cwrap('velmor_ended', 'number', []),
    };
  }

  // --- The name fields' text ----------------------------------------------
  // While a name field wants text, the page's own text field lies over it
  // and has the focus: what the input method composes and commits, what a
  // phone's keyboard types, and the editing keys go to the game from it
  // (and not to SDL's keys, which would type it twice).
  const ime = document.getElementById('ime');
  let imeOn = false;
  function placeText(on, left, top, width, height) {
    imeOn = !!on;
    ime.classList.toggle('on', imeOn);
    if (!imeOn) { ime.blur(); canvas.focus(); return; }
    // The game's field is in the canvas's own pixels.
    const scale = canvas.getBoundingClientRect().width / canvas.width;
    const stage = document.getElementById('stage').getBoundingClientRect();
    const box = canvas.getBoundingClientRect();
    ime.style.left = (box.left - stage.left + left * scale) + 'px';
    ime.style.top = (box.top - stage.top + top * scale) + 'px';
    ime.style.width = Math.max(width * scale, 40) + 'px';
    ime.style.height = Math.max(height * scale, 16) + 'px';
    ime.value = '';
    ime.focus();
  }
  const editKeys = new Set(['Enter', 'Backspace', 'Delete', 'Escape', 'Tab', 'ArrowLeft',
    'ArrowRight', 'ArrowUp', 'ArrowDown', 'Home', 'End']);
  function toGame(fn) { if (game) { fn(game); game.soon && game.soon(); } }
  ime.addEventListener('keydown', (e) => {
    e.stopPropagation();
    if (e.isComposing || e.keyCode === 229 || !editKeys.has(e.key)) return;
    e.preventDefault();
    toGame((M) => M.ccall('velmor_edit_key', null, ['string', 'number'], [e.key, e.shiftKey ? 1 : 0]));
  });
  ime.addEventListener('keyup', (e) => e.stopPropagation());
  ime.addEventListener('keypress', (e) => e.stopPropagation());
  ime.addEventListener('compositionupdate', (e) => {
    toGame((M) => M.ccall('velmor_composition', null, ['string', 'number'], [e.data, [...e.data].length]));
  });
  ime.addEventListener('compositionend', (e) => {
    toGame((M) => {
      M.ccall('velmor_composition', null, ['string', 'number'], ['', 0]);
      if (e.data) M.ccall('velmor_text', null, ['string'], [e.data]);
    });
    ime.value = '';
  });
  ime.addEventListener('input', (e) => {
    if (e.isComposing) return;
    if (e.inputType === 'insertText' && e.data) toGame((M) => M.ccall('velmor_text', null, ['string'], [e.data]));
    if (e.inputType !== 'insertCompositionText') ime.value = '';
  });

  // --- The bar's buttons ------------------------------------------------
  function slotNames() {
    const names = [];
    for (let n = 0; n <= 6; ++n) names.push('DATA0' + n);
    names.push('DATAFF');
    return names;
  }

  function exportSaves() {
    if (!game) return;
    let found = 0;
    for (const name of slotNames()) {
      let bytes;
      try { bytes = game.FS.readFile(HOME + '/saves/' + name); } catch (e) { continue; }
      const a = document.createElement('a');
      a.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
      a.download = name;
      a.click();
      setTimeout(() => URL.revokeObjectURL(a.href), 10000);
      ++found;
    }
    say(found ? fill(tr('%s slot files exported.'), found) : tr('There are no saves yet.'));
  }

  async function importSaves(files) {
    if (!game) return;
    const wanted = new Set(slotNames());
    let taken = 0;
    const refused = [];
    for (const f of files) {
      const name = f.name.toUpperCase();
      if (!wanted.has(name) || f.size !== 1088) { refused.push(f.name); continue; }
      // Whole, then renamed: the game never sees half a slot.
      const tmp = HOME + '/saves/.' + name + '.importing';
      game.FS.writeFile(tmp, new Uint8Array(await f.arrayBuffer()));
      game.FS.rename(tmp, HOME + '/saves/' + name);
      ++taken;
    }
    persist(game);
    say(fill(tr('%s slot files imported.'), taken) +
        (refused.length ? ' ' + fill(tr('Not slot files (DATA00…DATAFF, 1,088 bytes): %s'), refused.join(', ')) : ''));
  }

  // The game playing so far keeps what it stored, then lets go of the
  // window, its sound and the page's events.
  function closeGame(M) {
    return new Promise((done) => {
      if (!M) { done(); return; }
      let closed = false;
      const close = () => {
        if (closed) return;
        closed = true;
        try { M._velmor_close(); } catch (e) { console.warn(e); }
        done();
      };
      if (testMode) { close(); return; }
      // A copy the full quota aborts never answers (see persist).
      setTimeout(close, kStoreTimeoutMs);
      M.FS.syncfs(false, close);
    });
  }

  // The folder picker where the browser has one; else a file picker that
  // takes the folder's files or a .zip of the folder; and anything dropped
  // on the page.
  async function playOwn(gathering) {
    let own;
    try {
      own = await gathering;
    } catch (e) {
      say(e.message || String(e));
      return;
    }
    if (!own.entries.length) { say(tr('No files came with it.')); return; }
    await closeGame(game);
    game = null;
    failed = false;
    window.velmorReady = false;
    window.velmorFailed = undefined;
    freshCanvas();
    say(tr('Reading your folder…'));
    await start(own);
    if (own.note && !failed) say(own.note);
  }
  const folderInput = document.getElementById('own-files');
  const filesInput = document.getElementById('own-flat');
  document.getElementById('own').onclick = () =>
    (velmorFiles.canPickFolders() ? folderInput : filesInput).click();
  for (const input of [folderInput, filesInput]) {
    input.onchange = (e) => {
      const files = Array.from(e.target.files);
      e.target.value = '';
      if (files.length) playOwn(velmorFiles.fromPicked(files));
    };
  }
  window.addEventListener('dragover', (e) => { e.preventDefault(); });
  window.addEventListener('drop', (e) => {
    e.preventDefault();
    playOwn(velmorFiles.fromDrop(e.dataTransfer));
  });
  document.getElementById('export').onclick = exportSaves;
  document.getElementById('import').onclick = () => document.getElementById('import-files').click();
  document.getElementById('import-files').onchange = (e) => importSaves(Array.from(e.target.files));
  // The page's full screen, from its button or Alt+Enter (the desktop's
  // key for it; F11 is the browser's own).
  const fullScreen = () => {
    const stage = document.getElementById('stage');
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
  };
  document.getElementById('full').onclick = fullScreen;
  window.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' && e.altKey && !e.ctrlKey && !e.shiftKey && !e.metaKey) fullScreen();
  });
  document.addEventListener('visibilitychange', () => { if (document.hidden) persist(game); });
  window.addEventListener('pagehide', () => persist(game));
  setInterval(() => persist(game), 1000);

  // Browsers start a page's sound only after a gesture (SDL resumes it on
  // the first one): until then the line says so.
  const gestured = () => {
    if (line.textContent === tr('Click or press a key to start the sound.')) say('');
    window.removeEventListener('pointerdown', gestured);
    window.removeEventListener('keydown', gestured);
  };
  window.addEventListener('pointerdown', gestured);
  window.addEventListener('keydown', gestured);

  if (window.velmorMidi) velmorMidi.onProblem = say;
  labelPage();
  if (fixedSize) document.body.classList.add('test');
  fit();
  start(null);
})();
